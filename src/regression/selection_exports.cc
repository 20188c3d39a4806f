// The exports of variable selection and of the leave-one-group-out fits. The selection
// procedures end their own failures in -1 without a message; the guard catches only
// what escapes them.
#include <algorithm>

#include "regression/export_call.h"
#include "regression/model_sample.h"
#include "regression/regression.h"
#include "tessary.h"

namespace tessary {
namespace {

const BoundaryPolicy kForwardPolicy = {
    .caption = "Forward regression", .otherText = "Unexpected error occured.", .otherResult = -3};
const BoundaryPolicy kStepwisePolicy = {
    .caption = "Stepwise regression", .otherText = "Unexpected error occured.", .otherResult = -3};
const BoundaryPolicy kBackwardPolicy = {
    .caption = "Backward regression", .otherText = "Unexpected error occured", .otherResult = -3};
const BoundaryPolicy kByGroupPolicy = {
    .caption = "OLS regression", .otherText = "Unexpected error occured", .otherResult = -2};

using Procedure = std::int16_t (Regression::*)(const std::string&, double*, const std::string&,
                                               bool);

std::int16_t runSelection(const BoundaryPolicy& policy, Procedure procedure, const char* modelFile,
                          double* sscp, const char* reportFile, unsigned char oneStep) {
  if (!hasObservations(sscp)) return -1;
  return runExport<std::int16_t>(policy, [&] {
    Regression model;
    return (model.*procedure)(text(modelFile), sscp, text(reportFile), oneStep != 0);
  });
}

std::int16_t fitByGroup(const char* cdaPath, const char* modelFile, const char* byVar,
                        double* resultsOut) {
  if (byVar == nullptr || resultsOut == nullptr)
    raiseFailure("OLSbyVar: the grouping variable or the results array is missing.");
  Regression model;
  model.load(text(cdaPath), text(modelFile));
  ModelSample sample = modelSample(text(cdaPath), text(modelFile));
  model.init(sample.mask.data(), sample.weights.empty() ? nullptr : sample.weights.data(), false);
  return static_cast<std::int16_t>(std::min(model.OLSby(byVar, resultsOut), 32767));
}

}  // namespace
}  // namespace tessary

extern "C" {

TESSARY_EXPORT int16_t ForwardRegression(const char* modelFile, double* sscp,
                                         const char* reportFile, unsigned char oneStep) {
  return tessary::runSelection(tessary::kForwardPolicy, &tessary::Regression::forward, modelFile,
                               sscp, reportFile, oneStep);
}

TESSARY_EXPORT int16_t StepwiseRegression(const char* modelFile, double* sscp,
                                          const char* reportFile, unsigned char oneStep) {
  return tessary::runSelection(tessary::kStepwisePolicy, &tessary::Regression::stepwise, modelFile,
                               sscp, reportFile, oneStep);
}

TESSARY_EXPORT int16_t BackwardRegression(const char* modelFile, double* sscp,
                                          const char* reportFile, unsigned char oneStep) {
  return tessary::runSelection(tessary::kBackwardPolicy, &tessary::Regression::backward, modelFile,
                               sscp, reportFile, oneStep);
}

TESSARY_EXPORT int16_t OLSbyVar(const char* cdaPath, const char* modelFile, const char* byVar,
                                double* resultsOut) {
  return tessary::runExport<int16_t>(tessary::kByGroupPolicy, [&] {
    return tessary::fitByGroup(cdaPath, modelFile, byVar, resultsOut);
  });
}

}  // extern "C"
