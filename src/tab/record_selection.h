// The records a tabulation reads: those its filter selects (every record when the
// filter is empty), with their weights (1 when the weight is empty). Expressions run
// through evaluateToFiles, so "EvalResult.lbl" describes the last one evaluated (record
// counts over every record; the weight totals are those counts, no weights being
// given); the text "$ID$" stands for the record identifiers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/data_set.h"
#include "platform/column_memory.h"

namespace tessary {

// The text that stands for the record-identifier column.
inline constexpr const char* kIdentifierFormula = "$ID$";

class RecordSelection {
 public:
  // Empties the result label file, then evaluates the filter and the weight over every
  // record of the data set's level.
  RecordSelection(DataSet& data, const std::string& filter, const std::string& weight);

  std::size_t count() const { return count_; }
  // One weight per selected record.
  const ColumnBuffer<double>& weights() const { return weights_; }

  // The selected records' values of an expression (or of a stored variable, whose kind
  // read() returns) at the front of `column`, which is sized to hold them.
  void evaluate(const std::string& expression, ColumnBuffer<double>& column, LabelMap& labels);
  char read(const std::string& name, ColumnBuffer<double>& column, LabelMap& labels);

 private:
  // Every record's values into `column`, sized for the data set's buffers.
  void evaluateAll(const std::string& expression, ColumnBuffer<double>& column, LabelMap& labels);
  // Where every record's values go on their way to `column`: the column itself when
  // every record is selected, else everyRecord_; sized for the data set's buffers.
  ColumnBuffer<double>& wholeColumnFor(ColumnBuffer<double>& column);
  // The selection bits and block starts from the filter's values in everyRecord_.
  void markSelected();
  // Sizes `column` for the selected records and, unless every record is selected,
  // packs their values from everyRecord_ into it.
  void keepSelected(ColumnBuffer<double>& column);

  DataSet& data_;
  std::size_t records_ = 0;
  ColumnBuffer<std::uint64_t> selection_;  // a bit per record; unused when all are
  std::vector<std::size_t> blockStart_;    // selected records before each block of records
  ColumnBuffer<double> everyRecord_;       // an expression's values before selection
  bool allSelected_ = true;
  std::size_t count_ = 0;
  ColumnBuffer<double> weights_;
};

}  // namespace tessary
