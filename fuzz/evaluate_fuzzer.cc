// Any text that parses is evaluated over the fixture's households as a data array and
// over the combined data array at its household and cluster levels: the evaluation
// either fills the result or raises exactly the message it stored, and never touches
// memory outside its columns.
#include <string>
#include <string_view>

#include "data_set_fixture.h"
#include "expr/expression_evaluation.h"
#include "platform/paths.h"

namespace {

using namespace tessary;

struct FixedData {
  fuzzing::Fixture fixture{"evaluate"};
  std::string lookupTable = temporaryDirectory() + "tessary_fuzz_lookup.txt";
  DataSet households;
  DataSet combined;

  FixedData() {
    // The lookup table lives at a fixed name so that seeds can name it.
    writeWholeFile(lookupTable, "1\t10\n2\t20\nNA\t0\n2020/01/01\t3\n");
    households.openDataArray(fixture.file("hh.daH"));
    combined.openCombined(fixture.file("s.daA"));
  }
  ~FixedData() { removeFile(lookupTable); }
};

void evaluateOver(std::string_view text, DataSet& data, int level, std::int64_t from,
                  std::int64_t to) {
  ExpressionParser expression;
  try {
    expression.parse(text);
  } catch (const Failure&) {
    return;
  }
  data.setLevel(level);
  std::vector<double> result(data.slotSize(), -12345.0);
  try {
    checkVariables(expression, data);
    LabelMap labels;
    bool categorical = false;
    fuzzing::require(evaluate(expression, data, result, nullptr, from, to, &labels, &categorical) ==
                     0);
    fuzzing::require(categorical || labels.empty());
  } catch (const Failure& failure) {
    fuzzing::require(!failure.text().empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  // Lookup tables are read whole; device and process files are no tables.
  for (const char* path : {"/dev", "/proc", "/sys"})
    if (text.find(path) != std::string_view::npos) return 0;
  static FixedData data;
  evaluateOver(text, data.households, 0, 1, 16);
  evaluateOver(text, data.households, 0, 4, 13);
  evaluateOver(text, data.combined, 0, 2, 16);
  evaluateOver(text, data.combined, 1, 1, 4);
  return 0;
}
