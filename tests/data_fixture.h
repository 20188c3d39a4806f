// Data sets on disk for the tests of the store, the evaluator, the tabulation and the
// tool: variables stored with their holes, and a data array to evaluate expressions
// over.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "data/combine.h"
#include "data/data_set.h"
#include "data/data_set_builder.h"
#include "expr/expression_evaluation.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "import/import_file.h"
#include "test_support.h"

namespace tessary::testing {

// Compares vectors treating every missing value as equal to MISSING.
inline bool sameValues(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!std::isfinite(a[i]) || !std::isfinite(b[i])) {
      if (std::isfinite(a[i]) || std::isfinite(b[i])) return false;
    } else if (std::fabs(a[i] - b[i]) > 1e-12 * std::max(1.0, std::fabs(b[i]))) {
      return false;
    }
  }
  return true;
}

#define EXPECT_VALUES(actual, ...)                                                     \
  EXPECT_TRUE(::tessary::testing::sameValues(actual, std::vector<double> __VA_ARGS__)) \
      << ::testing::PrintToString(actual)

// Stores a variable with its values, missing ones as holes, in the data array `data`
// or the one at `path`.
inline void storeVariable(DataSet& data, const std::string& name, std::vector<double> values,
                          char kind = 'N', const std::string& label = "") {
  StoreOptions options;
  options.variable = {.textB = label, .kind = kind, .reservedByte1 = 2};
  data.storeColumn(name, values, options);
}
inline void storeVariable(const std::string& path, const std::string& name,
                          std::vector<double> values, char kind = 'N') {
  DataSet data;
  data.openDataArray(path);
  storeVariable(data, name, std::move(values), kind);
}

// What a data array holds for a variable, as written: its record fields, values, holes
// (1-based records whose bit is set) and labels; kind 0 when it has no such variable.
struct StoredVariable {
  char kind = 0;
  char encoding = 0;
  int validCount = 0;
  std::string textA, textB;
  std::vector<double> values{};
  std::vector<int> holes{};
  LabelMap labels{};
};

inline StoredVariable readStored(const std::string& daH, const std::string& name) {
  DataArray data;
  data.open(daH);
  data.loadHeader();
  StoredVariable out;
  const VariableRecord* record = data.find(name);
  if (record == nullptr) return out;
  out = {record->kind, record->encoding, record->validCount, textOf(record->textA),
         textOf(record->textB)};
  out.values.resize(data.recordCount);
  data.getValue(name, out.values, 1, data.recordCount);
  std::vector<std::uint8_t> bitmap(data.maskBytes);
  data.getMask(name, bitmap);
  for (std::uint32_t r = 1; r <= data.recordCount; ++r)
    if (isHole(bitmap.data(), r)) out.holes.push_back(static_cast<int>(r));
  data.loadLabels(name, out.labels);
  return out;
}

// Imports CSV text as the data array `dir`/`name`.
inline void importCsvText(const ScratchDir& dir, const std::string& name, const std::string& csv,
                          const WriteOptions& options = {}) {
  writeFile(dir.file(name + ".csv"), csv);
  importFile(dir.file(name + ".csv"), dir.file(name), {options});
}

// A combined data array "survey.daA" of four households (HHID, CLUSTER, SIZE, EDUC: a
// text) in the clusters of `clustersCsv`, keyed by CLUSTER, imported from CSV text in a
// scratch directory that is also the library's temporary directory.
struct SmallSurvey {
  ScratchDir dir;
  ScopedEnv temporary{"TMPDIR", dir.path().c_str()};

  explicit SmallSurvey(const std::string& clustersCsv) {
    importCsvText(dir, "hh",
                  "hhid,cluster,size,educ\n1,1,4,primary\n2,1,6,none\n3,2,3,secondary\n"
                  "4,2,5,primary\n");
    importCsvText(dir, "cl", clustersCsv);
    combineDataSets({dir.file("hh"), dir.file("cl"), "cluster", dir.file("survey.daA")});
  }
};

// A data array of `n` records in a scratch directory.
struct EvalDataSet {
  ScratchDir dir;
  DataSet data;
  std::uint32_t records;

  explicit EvalDataSet(std::uint32_t n) : records(n) {
    createDataArray(dir.file("set.daH"), n);
    data.openDataArray(dir.file("set.daH"));
  }
  void add(const char* name, std::vector<double> values, char kind = 'N') {
    storeVariable(data, name, std::move(values), kind);
  }
  void labels(const std::string& sections) {
    writeFile(dir.file("set.daL"), sections);
    data.openDataArray(dir.file("set.daH"));
  }

  // The values of records from..to (all records by default).
  std::vector<double> eval(const std::string& text, std::int64_t from = 1, std::int64_t to = 0,
                           LabelMap* labels = nullptr, const double* weights = nullptr) {
    if (to == 0) to = records;
    std::vector<double> out(records, -7.0);
    ExpressionValues result = evaluateExpression(text, data, from, to, out, weights);
    if (labels != nullptr) *labels = result.labels;
    out.resize(static_cast<std::size_t>(to - from + 1));
    return out;
  }
  std::string error(const std::string& text) {
    return failureText([&] { eval(text); });
  }
};

}  // namespace tessary::testing
