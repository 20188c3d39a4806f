#include "import/import_file.h"

#include "frame/failure.h"
#include "import/csv_reader.h"
#include "platform/text.h"

namespace tessary {

bool statFormatOf(const std::string& path, StatFormat& format) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string extension = upperCase(path.substr(dot + 1));
  if (extension == "DTA")
    format = StatFormat::kStata;
  else if (extension == "SAV" || extension == "ZSAV")
    format = StatFormat::kSpss;
  else if (extension == "SAS7BDAT")
    format = StatFormat::kSas;
  else
    return false;
  return true;
}

ImportedTable readImportFile(const std::string& path, const ProgressCallback& progress) {
  StatFormat format;
  if (!statFormatOf(path, format)) return readCsvFile(path, progress);
#if TESSARY_WITH_READSTAT
  return readStatFile(path, format, progress);
#else
  raiseFailure(path +
               ": this build of the library reads no Stata, SPSS or SAS files (it was "
               "built without ReadStat)");
#endif
}

WriteReport importFile(const std::string& file, const std::string& outPath,
                       const WriteOptions& options) {
  ImportedTable table = readImportFile(file);
  return writeDataSet(table, outPath, options);
}

}  // namespace tessary
