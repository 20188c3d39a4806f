#include "regression/model_sample.h"

#include <cmath>
#include <set>

#include "data/record_bitmap.h"
#include "platform/column_memory.h"
#include "regression/regression.h"

namespace tessary {
namespace {

// The variables whose missing values would poison the cross-products.
std::set<std::string> variablesOf(const Regression& model) {
  std::set<std::string> names{model.LHS};
  if (!model.Weight.empty()) names.insert(model.Weight);
  for (std::size_t i = 1; i < model.regressors.size(); ++i) {
    const ColumnRecipe recipe = recipeOf(model.regressors[i]);
    if (!recipe.variable.empty()) names.insert(recipe.variable);
    if (recipe.yhatPower > 0) names.insert(kYhatName);
  }
  return names;
}

}  // namespace

std::vector<std::uint8_t> completeRecordsMask(RegressionData& data, const Regression& model) {
  const auto records = static_cast<std::size_t>(data.recordCount());
  std::vector<std::uint8_t> mask(data.maskBytes(), 0);
  data.globalMask(mask);
  ColumnBuffer<double> values(std::max<std::size_t>(records, 1));
  for (const std::string& name : variablesOf(model)) {
    data.readIncluded(name, nullptr, values.data());
    for (std::size_t i = 0; i < records; ++i)
      if (!std::isfinite(values[i])) setHole(mask.data(), i + 1);
  }
  return mask;
}

ModelSample modelSample(const std::string& daaPath, const std::string& modelFile) {
  RegressionData data;
  data.open(daaPath);
  Regression model;
  model.load(data, modelFile);
  const auto records = static_cast<std::size_t>(model.nRecs);
  ModelSample sample;
  sample.mask = completeRecordsMask(data, model);
  // The condition's exclusions, before the weights are picked.
  std::vector<double> ones(records, 1.0);
  sample.included = model.init(sample.mask.data(), ones.data(), false);
  if (!model.Weight.empty()) {
    sample.weights.resize(static_cast<std::size_t>(sample.included));
    model.readValues(model.Weight, sample.weights.data());
  }
  return sample;
}

}  // namespace tessary
