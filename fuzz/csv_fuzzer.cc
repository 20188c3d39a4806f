// Any content given to the CSV reader either comes back as a table whose every column
// holds one value per record, or fails with a message that names the file; and cut into
// chunks of a few bytes it gives the same table or the same message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "frame/failure.h"
#include "fuzz_scratch.h"
#include "import/csv_reader.h"
#include "imported_table_check.h"

using tessary::fuzzing::require;

namespace {

// What a parse gives: the table's values, or the failure's text.
std::string outcome(std::string_view content, std::size_t chunkBytes) {
  std::string out;
  try {
    const tessary::ImportedTable table = tessary::parseCsv(content, "fuzz.csv", {}, {}, chunkBytes);
    for (const tessary::ImportedColumn& column : table.columns) {
      out += column.name + '\n';
      for (double v : column.numbers)
        out += std::to_string(v) + ',';
      for (const std::string& level : column.levels)
        out += level + '\n';
      for (std::uint32_t entry : column.levelOfRecord)
        out += std::to_string(entry) + ',';
    }
    for (const std::string& note : table.notes)
      out += note + '\n';
  } catch (const tessary::Failure& failure) {
    out = failure.text();
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(bytes), size);
  // Chunks of a few bytes give what one chunk gives.
  require(outcome(content, 0) == outcome(content, 5));
  try {
    tessary::fuzzing::requireWellFormed(tessary::parseCsv(content, "fuzz.csv"));
  } catch (const tessary::Failure& failure) {
    require(failure.text().rfind("fuzz.csv", 0) == 0);
  }
  return 0;
}
