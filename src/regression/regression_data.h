// Everything the regression code reads from a data set, and the evaluation of model
// conditions, behind one small type. The regression reads the household level (level
// 0) of a combined data array; coarser levels' variables come repeated over their
// households.
//
// A name that no level holds and that is more than letters, digits and underscores is
// read as an expression of the expression language, evaluated once over every
// household: a dependent variable may be LOG(WELFARE).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "data/categorize.h"
#include "platform/column_memory.h"

namespace tessary {

class DataSet;
class ColumnSource;

// What model building needs to know of a stored variable.
struct VariableFacts {
  std::string name;     // upper case, as stored
  int level = 0;        // 0 households, 1 clusters, 2 auxiliary
  char kind = 'N';      // 'C' categorical, 'E' expression, other numeric
  bool stored = false;  // has values (not an expression)
  bool selected = false;
  std::string label;  // the variable's textB
  double minValue = 0.0;
  double maxValue = 0.0;
};

class RegressionData {
 public:
  RegressionData();
  ~RegressionData();
  RegressionData(const RegressionData&) = delete;
  RegressionData& operator=(const RegressionData&) = delete;

  // Opens and loads the combined data array described by a .daA file; raises "Can't
  // open data file <path>" with the cause on the next line.
  void open(const std::string& daaPath);
  // Reads through a combined data array someone else owns and has loaded.
  void attach(DataSet& data);
  // Reads through a source of household columns someone else owns; only recordCount(),
  // maskBytes(), read() and readIncluded() work on it.
  void attach(ColumnSource& source);
  bool isOpen() const { return data_ != nullptr || source_ != nullptr; }
  const std::string& name() const { return name_; }

  std::int64_t recordCount() const;
  // Bytes of a record bitmap over recordCount() records.
  std::size_t maskBytes() const;

  // Values of records fromRec..toRec into out[0 .. toRec-fromRec] (of a variable or an
  // expression, see above).
  void read(const std::string& variable, std::int64_t fromRec, std::int64_t toRec, double* out);
  // The values of the records whose bit is clear in `mask` (all records when mask is
  // null), in record order, into out; returns how many were written.
  std::size_t readIncluded(const std::string& variable, const std::uint8_t* mask, double* out);
  // The categories (code, label, count) of a categorical variable, ascending by code.
  std::vector<Category> categories(const std::string& variable);
  // The household level's global mask into `bitmap` (maskBytes() bytes); returns its
  // holes.
  std::uint64_t globalMask(std::span<std::uint8_t> bitmap);

  // Evaluates a condition over every record into `values` (recordCount() of them) and
  // writes the result label file; false, with nothing evaluated, when the text does
  // not parse. Raises the evaluation's message.
  bool evaluateCondition(const std::string& condition, std::span<double> values);

  // Every variable of every level, level by level, each level in name order.
  std::vector<VariableFacts> variables();
  // The variable as found in level 0, 1 or 2, in that order.
  std::optional<VariableFacts> find(const std::string& name);
  // The household level header's cluster identifier name (its first text).
  std::string clusterIdName();
  // The amplifier of the reference from the cluster level to the households.
  double clusterAmplifier();
  // The weight variable named by the household header's second text, else the
  // cluster header's ("" when neither names one).
  std::string weightName();

 private:
  // The values of an expression over every household, evaluated on first use.
  const ColumnBuffer<double>& expressionColumn(const std::string& text);

  std::unique_ptr<DataSet> owned_;
  DataSet* data_ = nullptr;
  ColumnSource* source_ = nullptr;
  std::string name_;
  std::map<std::string, ColumnBuffer<double>> expressions_;
};

}  // namespace tessary
