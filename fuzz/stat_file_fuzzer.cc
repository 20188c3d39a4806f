// Any bytes given to the stat-file import as a Stata, SPSS or SAS file (the format is
// fixed per target by TESSARY_FUZZ_EXTENSION) either come back as a table whose every
// column holds one value per record, or fail with one line that names the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "frame/failure.h"
#include "fuzz_scratch.h"
#include "import/import_file.h"
#include "imported_table_check.h"
#include "platform/file.h"

#ifndef TESSARY_FUZZ_EXTENSION
#error "TESSARY_FUZZ_EXTENSION names the format: dta, sav or sas7bdat"
#endif

namespace {

using tessary::fuzzing::require;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static const std::string path =
      tessary::fuzzing::scratchDirectory("stat_" TESSARY_FUZZ_EXTENSION) +
      "input." TESSARY_FUZZ_EXTENSION;
  tessary::StatFormat format;
  require(tessary::statFormatOf(path, format));
  require(tessary::writeWholeFile(path,
                                  std::string_view(reinterpret_cast<const char*>(bytes), size),
                                  tessary::Durability::kScratch));
  try {
    tessary::fuzzing::requireWellFormed(tessary::readStatFile(path, format));
  } catch (const tessary::Failure& failure) {
    require(failure.text().rfind(path + ": ", 0) == 0);
    require(failure.text().find('\n') == std::string::npos);
  }
  return 0;
}
