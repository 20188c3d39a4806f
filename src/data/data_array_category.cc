// Labels and categories of a data array's categorical variables.
#include <algorithm>

#include "data/data_array.h"
#include "frame/failure.h"
#include "platform/text.h"

namespace tessary {

void DataArray::loadLabels(std::string_view name, LabelMap& labels) const {
  if (!labels_) labels_ = std::make_unique<LabelFile>(filePath(".daL"));
  labels_->labelsOf(name, labels);
}

int DataArray::getCategory(std::string_view name, std::span<double> out, std::int64_t fromRec,
                           std::int64_t toRec, std::vector<Category>& categories,
                           const double* weights, bool renumber, int baseCode) {
  const VariableRecord* record = find(name);
  if (record == nullptr)
    raiseFailure("DataArray::getCategory: Variable " + std::string(name) + " not found");
  if (record->kind != 'C') raiseFailure(std::string(name) + " is not categorical");
  if (fromRec > toRec) std::swap(fromRec, toRec);
  if (fromRec < 1 || toRec > static_cast<std::int64_t>(recordCount))
    raiseFailure(formatText("DataArray::getCategory:Range beyond: %lld-%lld",
                            static_cast<long long>(fromRec), static_cast<long long>(toRec)));
  if (out.size() < recordCount) raiseFailure("DataArray::getCategory: INVALID ADDRESS");
  getValue(name, out, 1, recordCount);
  LabelMap labels;
  loadLabels(name, labels);
  const int result =
      categorizeColumn(out.first(recordCount), labels, weights, renumber, baseCode, categories);
  std::copy(out.begin() + (fromRec - 1), out.begin() + toRec, out.begin());
  return result;
}

}  // namespace tessary
