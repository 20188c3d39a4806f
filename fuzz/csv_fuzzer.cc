// Any content given to the CSV reader either comes back as a table whose every column
// holds one value per record, or fails with a message that names the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "frame/failure.h"
#include "import/csv_reader.h"
#include "fuzz_scratch.h"

using tessary::fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(bytes), size);
  try {
    const tessary::ImportedTable table = tessary::parseCsv(content, "fuzz.csv");
    require(!table.columns.empty() && table.rowCount > 0);
    for (const tessary::ImportedColumn& column : table.columns) {
      require(!column.name.empty());
      require(column.size() == table.rowCount);
    for (std::uint32_t entry : column.levelOfRecord)
      require(entry <= column.levels.size());
    }
  } catch (const tessary::Failure& failure) {
    require(failure.text().rfind("fuzz.csv", 0) == 0);
  }
  return 0;
}
