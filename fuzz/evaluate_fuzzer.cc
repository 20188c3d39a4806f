// Any text that parses is evaluated over a small fixed data array and over a combined
// data array built on it: the evaluation either fills the result or raises exactly the
// message it stored, and never touches memory outside its columns.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/cda.h"
#include "data/data_array.h"
#include "data/data_set_builder.h"
#include "expr/expression_evaluation.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "fuzz_scratch.h"
#include "platform/file.h"
#include "platform/paths.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

constexpr std::uint32_t kHouseholds = 16;

void addVariable(const std::string& path, const char* name, char kind, std::vector<double> values) {
  tessary::DataArray data;
  data.open(path);
  data.loadHeader();
  data.addVariable(name, {.kind = kind, .reservedByte1 = 2});
  data.setValue(name, values);
  std::vector<std::uint8_t> holes(data.maskBytes, 0);
  for (std::size_t i = 0; i < values.size(); ++i)
    if (values[i] == tessary::MISSING) holes[i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
  data.setMask(name, holes);
  if (std::string_view(name) == "ID") data.headerTextA = tessary::makeTextField("ID");
  data.saveHeader();
}

struct FixedData {
  std::string directory;
  std::string lookupTable;
  tessary::DataArray households;
  std::unique_ptr<tessary::CDA> combined;

  FixedData() {
    const double M = tessary::MISSING;
    directory = tessary::fuzzing::scratchDirectory("evaluate");
    const std::string hh = directory + "hh.daH";
    const std::string cl = directory + "cl.daH";
    tessary::createDataArray(hh, kHouseholds);
    tessary::createDataArray(cl, 4);
    tessary::writeDataRef(directory + "cl.daR", 1.0,
                          {{1, 3, false, 1},
                           {1, 5, false, 2},
                           {0, 2, false, 0},
                           {1, 4, false, 3},
                           {1, 0, false, 4},
                           {1, 2, false, 5}});
    addVariable(hh, "ID", 'N', {11, 11, 11, 12, 12, 12, 12, 12, 0, 0, 21, 21, 21, 21, 35, 35});
    addVariable(hh, "X", 'N', {1, 2, M, 4, 5, 5, -7, 8.5, 9, 0, 1e6, -1e-3, 3, 3, M, 2});
    addVariable(hh, "Y", 'N', {0, 1, 1, 0, 1, 0, 1, 1, M, 1, 0, 0, 1, 1, 0, 1});
    addVariable(hh, "R", 'C', {1, 2, 3, 1, 2, 3, 1, M, 2, 3, 1, 2, 3, 1, 2, 3});
    addVariable(cl, "Z", 'C', {1, 2, 2, 9});
    addVariable(cl, "U", 'N', {0.5, M, 2.5, 4});
    tessary::writeWholeFile(directory + "hh.daL", "[R]\n1=North\n2=East\n3=South\n");
    tessary::writeWholeFile(directory + "cl.daL", "[Z]\n1=Urban\n2=Rural\n");
    // The lookup table lives at a fixed name so that seeds can name it.
    lookupTable = tessary::temporaryDirectory() + "tessary_fuzz_lookup.txt";
    tessary::writeWholeFile(lookupTable, "1\t10\n2\t20\nNA\t0\n2020/01/01\t3\n");
    tessary::writeWholeFile(directory + "s.daA", "hh.daH\ncl.daH\ncl.daR\n");
    households.open(hh);
    households.loadHeader();
    combined = std::make_unique<tessary::CDA>(directory + "s.daA");
    combined->load();
  }
  // The working directory goes with the process (fuzz_scratch.h).
  ~FixedData() { tessary::removeFile(lookupTable); }
};

FixedData& fixedData() {
  static FixedData data;
  return data;
}

template <class DataSet>
void evaluateOver(std::string_view text, DataSet& data, std::int64_t from, std::int64_t to,
                  std::size_t slotSize) {
  tessary::ExpressionParser expression;
  try {
    expression.parse(text);
  } catch (const tessary::Failure&) {
    return;
  }
  std::vector<double> result(slotSize, -12345.0);
  try {
    tessary::checkVariables(expression, data);
    tessary::LabelMap labels;
    bool categorical = false;
    require(tessary::evaluate(expression, result, nullptr, data, from, to, &labels, &categorical) ==
            0);
    require(categorical || labels.empty());
  } catch (const tessary::Failure& failure) {
    require(!failure.text().empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  // Lookup tables are read whole; device and process files are no tables.
  for (const char* path : {"/dev", "/proc", "/sys"})
    if (text.find(path) != std::string_view::npos) return 0;
  FixedData& data = fixedData();
  evaluateOver(text, data.households, 1, kHouseholds, kHouseholds);
  evaluateOver(text, data.households, 4, 13, kHouseholds);
  data.combined->cursor = 0;
  evaluateOver(text, *data.combined, 2, kHouseholds, data.combined->maxRecordCount());
  data.combined->cursor = 1;
  evaluateOver(text, *data.combined, 1, 4, data.combined->maxRecordCount());
  return 0;
}
