// A small data array on disk for evaluator tests, and helpers that evaluate an
// expression text over it.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "data/data_array.h"
#include "data/data_set_builder.h"
#include "expr/expression_evaluation.h"
#include "frame/failure.h"
#include "frame/missing.h"
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

// Adds a variable with its values to an open data array, missing values as holes (as
// the store's own writers mark them), and saves the header.
inline void storeVariable(DataArray& data, const char* name, std::vector<double> values,
                          char kind = 'N') {
  data.addVariable("", name, "", kind, -1, -1, -1, 0, 2);
  data.SetValue(name, values);
  std::vector<std::uint8_t> holes(data.maskBytes, 0);
  for (std::size_t i = 0; i < values.size(); ++i)
    if (!std::isfinite(values[i])) holes[i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
  data.SetMask(name, holes);
  data.saveHeader();
}
inline void storeVariable(const std::string& path, const char* name, std::vector<double> values,
                          char kind = 'N') {
  DataArray data;
  data.open(path);
  data.loadHeader();
  storeVariable(data, name, std::move(values), kind);
}

struct EvalDataSet {
  ScratchDir dir;
  DataArray data;
  std::uint32_t records;

  explicit EvalDataSet(std::uint32_t n) : records(n) {
    createDataArray(dir.file("set.daH"), n);
    data.open(dir.file("set.daH"));
    data.loadHeader();
  }
  void add(const char* name, std::vector<double> values, char kind = 'N') {
    storeVariable(data, name, std::move(values), kind);
  }
  void labels(const std::string& sections) { writeFile(dir.file("set.daL"), sections); }

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
