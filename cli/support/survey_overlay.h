// A survey's household columns with columns computed in memory laid over them by name:
// how `tessary fit` gives the alpha model, fitted through the library's regression
// code, its dependent variable and the welfare model's prediction "_yhat_".
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "regression/column_source.h"

namespace tessary {
class RegressionData;
}

namespace tessary::cli {

class SurveyOverlay final : public ColumnSource {
 public:
  // `survey` stays open and owned by the caller.
  explicit SurveyOverlay(RegressionData& survey);

  // A column named `name` (any case): one value per record of the survey.
  void set(const std::string& name, std::vector<double> values);

  std::int64_t recordCount() const override;
  void read(const std::string& variable, std::int64_t fromRec, std::int64_t toRec,
            double* out) override;

 private:
  RegressionData& survey_;
  std::map<std::string, std::vector<double>> columns_;  // by upper-case name
};

// Values of the included households (those whose bit is clear in `mask`, in record
// order) spread over all `records` records, `fill` for the excluded ones.
std::vector<double> spreadOverRecords(const std::vector<double>& included,
                                      const std::vector<std::uint8_t>& mask, std::size_t records,
                                      double fill);

}  // namespace tessary::cli
