#include "support/survey_overlay.h"

#include <algorithm>

#include "data/record_bitmap.h"
#include "frame/failure.h"
#include "platform/text.h"
#include "regression/regression_data.h"

namespace tessary::cli {

SurveyOverlay::SurveyOverlay(RegressionData& survey) : survey_(survey) {}

void SurveyOverlay::set(const std::string& name, std::vector<double> values) {
  if (static_cast<std::int64_t>(values.size()) != recordCount())
    raiseFailure(formatText("%s: %zu values for %lld records", name.c_str(), values.size(),
                            static_cast<long long>(recordCount())));
  columns_[upperCase(name)] = std::move(values);
}

std::int64_t SurveyOverlay::recordCount() const {
  return survey_.recordCount();
}

void SurveyOverlay::read(const std::string& variable, std::int64_t fromRec, std::int64_t toRec,
                         double* out) {
  const auto found = columns_.find(upperCase(variable));
  if (found == columns_.end()) return survey_.read(variable, fromRec, toRec, out);
  std::copy(found->second.begin() + (fromRec - 1), found->second.begin() + toRec, out);
}

std::vector<double> spreadOverRecords(const std::vector<double>& included,
                                      const std::vector<std::uint8_t>& mask, std::size_t records,
                                      double fill) {
  std::vector<double> out(records, fill);
  std::size_t next = 0;
  for (std::size_t record = 1; record <= records && next < included.size(); ++record)
    if (!isHole(mask.data(), record)) out[record - 1] = included[next++];
  return out;
}

}  // namespace tessary::cli
