#include "support/model_fitting.h"

#include <iostream>

#include "frame/failure.h"
#include "platform/text.h"
#include "regression/model_sample.h"
#include "regression/regression.h"
#include "regression/regression_trace.h"
#include "tessary.h"

namespace tessary::cli {
namespace {

using SelectionExport = std::int16_t (*)(const char*, double*, const char*, unsigned char);

SelectionExport selectionExport(FitMethod method) {
  switch (method) {
    case FitMethod::kForward:
      return ForwardRegression;
    case FitMethod::kBackward:
      return BackwardRegression;
    default:
      return StepwiseRegression;
  }
}

}  // namespace

TraceChoice::TraceChoice(bool verbose)
    : previous_(setTraceStream(verbose ? &std::cout : nullptr)) {}

TraceChoice::~TraceChoice() {
  setTraceStream(previous_);
}

void readModelFile(Regression& model, const std::string& path) {
  if (!model.loading(path)) raiseFailure("cannot open the model file " + path);
}

void writeModelFile(Regression& model, const std::string& path) {
  if (!model.saving(path)) raiseFailure("cannot write the model file " + path);
}

std::vector<Regressor> modelRegressors(Regression& model) {
  const int k = model.selectModel();
  std::vector<Regressor> out;
  for (int i = 0; i < k; ++i)
    out.push_back(model.regressors[static_cast<std::size_t>(model.selected[i])]);
  return out;
}

ModelFileFit readModelFileFit(const std::string& path) {
  Regression model;
  readModelFile(model, path);
  if (model.status < 0) raiseFailure(path + " holds a failed fit");
  ModelFileFit fit;
  fit.regressors = modelRegressors(model);
  fit.households = model.nObs;
  fit.records = model.nRecs;
  fit.weight = model.Weight;
  fit.r2 = model.R2;
  fit.adjR2 = model.adjR2;
  fit.f = model.F;
  fit.mse = model.MSE;
  return fit;
}

void markRegressors(const std::string& path, const std::vector<std::string>& names) {
  Regression model;
  readModelFile(model, path);
  for (Regressor& record : model.regressors)
    record.flags &= static_cast<std::uint8_t>(~kInModel);
  for (const std::string& name : names) {
    bool found = false;
    for (Regressor& record : model.regressors)
      if (upperCase(record.name) == upperCase(name)) record.flags |= kInModel, found = true;
    if (!found) raiseFailure("the model has no regressor " + name);
  }
  writeModelFile(model, path);
}

std::vector<double> sampleSscp(const std::string& surveyDaa, const std::string& modelPath,
                               ModelSample* sampleOut) {
  ModelSample sample = modelSample(surveyDaa, modelPath);
  Regression model;
  readModelFile(model, modelPath);
  std::vector<double> sscp(static_cast<std::size_t>(packedSize(model.numOfRgrs)));
  double* weights = sample.weights.empty() ? nullptr : sample.weights.data();
  if (makeSSCP(surveyDaa.c_str(), modelPath.c_str(), sample.mask.data(), weights, sscp.data()) < 0)
    raiseFailure("the cross-products could not be formed");
  if (sampleOut != nullptr) *sampleOut = std::move(sample);
  return sscp;
}

FitMethod fitMethodNamed(const std::string& name, const std::string& option) {
  for (FitMethod method :
       {FitMethod::kOls, FitMethod::kForward, FitMethod::kStepwise, FitMethod::kBackward})
    if (name == fitMethodName(method)) return method;
  raiseFailure(option + " is ols, forward, stepwise or backward, not " + name);
}

const char* fitMethodName(FitMethod method) {
  switch (method) {
    case FitMethod::kOls:
      return "ols";
    case FitMethod::kForward:
      return "forward";
    case FitMethod::kStepwise:
      return "stepwise";
    default:
      return "backward";
  }
}

void fitModelFile(FitMethod method, const std::string& modelPath, std::vector<double>& sscp,
                  const std::string& reportPath, bool oneStep) {
  const bool noRecord = !(sscp[0] > 0.0);
  if (method == FitMethod::kOls) {
    const std::int16_t fitted = OLSRegression(modelPath.c_str(), sscp.data(), reportPath.c_str());
    if (fitted == 0) raiseFailure("the model file marks no regressor; choose some with --use");
    if (fitted == -1)
      raiseFailure(noRecord ? "no record is included" : "the cross-product matrix is singular");
    if (fitted < 0) raiseFailure("the model file could not be read or written");
    return;
  }
  if (selectionExport(method)(modelPath.c_str(), sscp.data(), reportPath.c_str(), oneStep) != 0)
    raiseFailure(noRecord ? "no record is included"
                          : "no candidate could be fitted, or the model file could not be read "
                            "or written");
}

}  // namespace tessary::cli
