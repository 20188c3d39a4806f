#include "import/import_file.h"

#include "frame/failure.h"
#include "import/csv_reader.h"
#include "import/data_set_description.h"
#include "platform/file.h"
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

ImportedTable readImportFile(const std::string& path, const ColumnTypeRequest& types,
                             const ProgressCallback& progress) {
  StatFormat format;
  if (!statFormatOf(path, format)) {
    ImportedTable table = readCsvFile(path, types, progress);
    const std::string description = descriptionPath(path);
    if (fileExists(description)) {
      applyDescription(table, readDescription(description), description);
      table.notes.push_back("names, labels and codes from " + description);
    }
    return table;
  }
#if TESSARY_WITH_READSTAT
  ImportedTable table = readStatFile(path, format, progress);
  applyColumnTypes(table, types);
  return table;
#else
  raiseFailure(path +
               ": this build of the library reads no Stata, SPSS or SAS files (it was "
               "built without ReadStat)");
#endif
}

WriteReport importFile(const std::string& file, const std::string& outPath,
                       const ImportOptions& options) {
  ImportedTable table = readImportFile(file, options.types);
  return writeDataSet(table, outPath, options.write);
}

}  // namespace tessary
