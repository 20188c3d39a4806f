#include "regression/group_refits.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "frame/number_format.h"
#include "regression/model_sample.h"
#include "regression/regression.h"
#include "regression/regression_trace.h"

namespace tessary {
namespace {

std::int32_t leadingInteger(const std::string& text) {
  const long value = std::strtol(text.c_str(), nullptr, 10);
  return static_cast<std::int32_t>(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}

// The included households' weights of a weighted model, and their total.
void takeWeights(Regression& model, std::vector<double>& weights) {
  if (model.Weight.empty()) return;
  model.readValues(model.Weight, weights.data());
  model.totalWeight = 0.0;
  for (std::int32_t i = 0; i < model.nObs; ++i)
    model.totalWeight += weights[static_cast<std::size_t>(i)];
}

// The refit's figures, then coefficient and t statistic of each regressor in the model.
double* appendFit(const Regression& model, std::int32_t code, double* out) {
  for (double figure : {static_cast<double>(code), static_cast<double>(model.nObs), model.SSE,
                        model.SSR, model.R2, model.F, model.MSE, model.adjR2})
    *out++ = figure;
  int position = 0;
  for (int record = 0; record < model.numOfRgrs; ++record) {
    trace() << "putting model " << record << '\n';
    if (position >= model.nModel || model.selected[static_cast<std::size_t>(position)] != record)
      continue;
    const double coef = model.beta[position];
    *out++ = coef;
    *out++ = coef / std::sqrt(model.inverse(position, position) * model.MSE / model.weightScale);
    ++position;
  }
  return out;
}

// Puts the model's condition back however the refits end.
class ConditionKeeper {
 public:
  explicit ConditionKeeper(Regression& model) : model_(model), kept_(model.condition) {}
  ~ConditionKeeper() { model_.condition = kept_; }
  ConditionKeeper(const ConditionKeeper&) = delete;
  ConditionKeeper& operator=(const ConditionKeeper&) = delete;

 private:
  Regression& model_;
  std::string kept_;
};

}  // namespace

std::vector<std::int32_t> labelFileGroups(std::string_view text) {
  std::vector<std::int32_t> codes;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view before = line.substr(0, equals);
    codes.push_back(leadingInteger(std::string(before.substr(0, before.find(',')))));
  }
  return codes;
}

std::int32_t refitLeavingOut(Regression& model, RegressionData& data, const std::string& byVar,
                             std::span<const std::int32_t> codes, double* results) {
  const std::vector<std::uint8_t> complete = completeRecordsMask(data, model);
  std::vector<std::uint8_t> mask = complete;
  std::vector<double> weights(static_cast<std::size_t>(std::max(model.nRecs, 1)), 0.0);
  model.init(mask.data(), weights.data(), false);
  const ConditionKeeper keeper(model);
  model.suppressSave = true;
  std::int32_t fitted = 0;
  for (std::int32_t code : codes) {
    model.condition = "(" + byVar + ")!=" + formatFixed(code, 7, 14);
    mask = complete;
    model.init(mask.data(), weights.data(), false);
    takeWeights(model, weights);
    trace() << "under condition " << model.condition << " n_obs=" << model.nObs << '\n';
    if (model.simpleOLS() != 0) continue;
    results = appendFit(model, code, results);
    ++fitted;
  }
  return fitted;
}

}  // namespace tessary
