// Column sources of cross tabulation over the library's data sets: one data array, or
// a combined data array at its cursor. Expressions run through the evaluator's
// evaluateToFiles, so "EvalResult.lbl" describes the last one evaluated (record
// counts over every record; the weight totals are those counts, no weights being
// given).
#pragma once

#include "data/cda.h"
#include "data/data_array.h"
#include "tab/tab_source.h"

namespace tessary {

class DataArrayTabSource : public TabSource {
 public:
  explicit DataArrayTabSource(DataArray& data) : data_(data) {}
  std::size_t recordCount() const override { return data_.recordCount; }
  void evaluate(const std::string& expression, double* out, LabelMap& labels) override;
  void clearResultLabels() override;
  char readVariable(const std::string& name, double* out, LabelMap& labels) override;

 private:
  DataArray& data_;
};

class CdaTabSource : public TabSource {
 public:
  explicit CdaTabSource(CDA& cda) : cda_(cda) {}
  std::size_t recordCount() const override;
  std::size_t bufferSize() const override { return cda_.maxRecordCount(); }
  void evaluate(const std::string& expression, double* out, LabelMap& labels) override;
  void clearResultLabels() override;
  char readVariable(const std::string& name, double* out, LabelMap& labels) override;

 private:
  CDA& cda_;
};

// The text that stands for the record-identifier column.
inline constexpr const char* kIdentifierFormula = "$ID$";

}  // namespace tessary
