// The welfare model stage of `tessary fit` (see fit_stages.h).
#include <map>

#include "frame/failure.h"
#include "platform/file.h"
#include "platform/text.h"
#include "regression/regression.h"
#include "support/fit_stages.h"
#include "tessary.h"

namespace tessary::cli {
namespace {

// Fixes out the first dummy of every categorical variable that has a dummy for each of
// its categories (more than one); returns their names.
std::vector<std::string> fixOutBaseCategories(Regression& model) {
  std::map<std::string, std::vector<Regressor*>> dummies;
  for (std::size_t i = 1; i < model.regressors.size(); ++i) {
    const ColumnRecipe recipe = recipeOf(model.regressors[i]);
    if (recipe.dummy && recipe.yhatPower == 0)
      dummies[recipe.variable].push_back(&model.regressors[i]);
  }
  std::vector<std::string> names;
  for (auto& [variable, records] : dummies) {
    if (records.size() < 2) continue;  // the single dummy of a 0/1 variable
    records.front()->flags = kFixed;
    names.push_back(records.front()->name);
  }
  return names;
}

// Builds the candidate list and prepares it for the method.
std::vector<std::string> prepareModelFile(const FitPlan& plan) {
  if (buildModelFromCombinedDataset(plan.project.c_str(), plan.welfareModel().c_str(),
                                    plan.lhs.c_str(), 0) < 0)
    raiseFailure("the welfare model could not be built from " + plan.project);
  Regression model;
  readModelFile(model, plan.welfareModel());
  if (model.numOfRgrs < 2)
    raiseFailure(plan.project + " selects no candidate variable ([SelectedVars] VarList)");
  model.slEntry = plan.entry;
  model.slStay = plan.stay;
  std::vector<std::string> base = fixOutBaseCategories(model);
  if (plan.method == FitMethod::kOls && plan.use.empty())
    for (Regressor& record : model.regressors)
      if (record.flags == 0) record.flags = kInModel;
  writeModelFile(model, plan.welfareModel());
  if (plan.method == FitMethod::kOls && !plan.use.empty())
    markRegressors(plan.welfareModel(), plan.use);
  return base;
}

void readResiduals(const FitPlan& plan, WelfareStage& stage) {
  const auto records = static_cast<std::size_t>(stage.model.records);
  std::vector<double> y(records), prediction(records), residuals(records);
  std::vector<std::uint8_t> mask = stage.sample.mask;
  double* weights = stage.sample.weights.empty() ? nullptr : stage.sample.weights.data();
  if (getResidual(plan.survey.c_str(), plan.welfareModel().c_str(), mask.data(), weights, y.data(),
                  prediction.data(), residuals.data()) < 0)
    raiseFailure("the welfare model's residuals could not be formed");
  const auto n = static_cast<std::size_t>(stage.sample.included);
  stage.y.assign(y.begin(), y.begin() + n);
  stage.prediction.assign(prediction.begin(), prediction.begin() + n);
  stage.residuals.assign(residuals.begin(), residuals.begin() + n);
}

void countClusters(const FitPlan& plan, WelfareStage& stage) {
  const auto records = static_cast<std::size_t>(std::max(stage.model.records, 1));
  std::vector<double> keys(records);
  std::vector<std::int32_t> counts(records);
  std::vector<std::uint8_t> mask = stage.sample.mask;
  const std::int32_t found =
      getCountOfCluster(plan.survey.c_str(), mask.data(), keys.data(), counts.data());
  if (found < 0) raiseFailure("the survey's clusters could not be counted");
  stage.clusters.keys.assign(keys.begin(), keys.begin() + found);
  stage.clusters.counts.assign(counts.begin(), counts.begin() + found);
  if (found == stage.sample.included)
    raiseFailure(
        "every cluster has one household: the household identifier must be the cluster "
        "number times the amplifier of the survey's data reference plus the household's "
        "number (tessary combine --amplifier)");
}

}  // namespace

WelfareStage fitWelfareModel(const FitPlan& plan) {
  WelfareStage stage;
  stage.baseCategories = prepareModelFile(plan);
  const std::string reportPath = plan.work + "welfare_report.txt";
  std::vector<double> sscp = sampleSscp(plan.survey, plan.welfareModel(), &stage.sample);
  if (stage.sample.included < 2) raiseFailure("fewer than two survey households have every value");
  fitModelFile(plan.method, plan.welfareModel(), sscp, reportPath);
  readWholeFile(reportPath, stage.report);

  stage.model = readModelFileFit(plan.welfareModel());
  stage.weights = stage.sample.weights;
  if (stage.weights.empty())
    stage.weights.assign(static_cast<std::size_t>(stage.model.households), 1.0);
  readResiduals(plan, stage);
  countClusters(plan, stage);
  return stage;
}

}  // namespace tessary::cli
