// What cross tabulation reads: the columns of one data set, every record at once.
#pragma once

#include <cstddef>
#include <string>

#include "data/categorize.h"

namespace tessary {

class TabSource {
 public:
  virtual ~TabSource() = default;
  virtual std::size_t recordCount() const = 0;
  // How many values the buffers handed to evaluate and readVariable must hold (a
  // combined data array evaluates through buffers of its largest level).
  virtual std::size_t bufferSize() const { return recordCount(); }
  // Evaluates an expression of the expression language over every record into out
  // (the first recordCount values); a categorical result fills `labels`. The text "$ID$" gives
  // the record-identifier column. Expressions leave their result label file behind.
  virtual void evaluate(const std::string& expression, double* out, LabelMap& labels) = 0;
  // Empties the evaluator's result label file before a tabulation's evaluations, each
  // of which rewrites it.
  virtual void clearResultLabels() {}
  // A stored variable's values (the first recordCount) and labels; returns its kind
  // ('C' for categorical).
  virtual char readVariable(const std::string& name, double* out, LabelMap& labels) = 0;
};

}  // namespace tessary
