// The steps of fitting a model file that a host runs through the library's exports
// (makeSSCP, then OLSRegression or a selection export), shared by `tessary model` and
// `tessary fit`.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "regression/regressor.h"

namespace tessary {
class Regression;
struct ModelSample;
}  // namespace tessary

namespace tessary::cli {

// Keeps the library's trace lines off standard output unless asked for.
class TraceChoice {
 public:
  explicit TraceChoice(bool verbose);
  ~TraceChoice();
  TraceChoice(const TraceChoice&) = delete;
  TraceChoice& operator=(const TraceChoice&) = delete;

 private:
  std::ostream* previous_;
};

// Raise "cannot open the model file <path>" and "cannot write the model file <path>".
void readModelFile(Regression& model, const std::string& path);
void writeModelFile(Regression& model, const std::string& path);

// The regressors of the model (the intercept and those marked), in model order.
std::vector<Regressor> modelRegressors(Regression& model);

// A fitted model file: its model's regressors with their estimates, and its statistics.
struct ModelFileFit {
  std::vector<Regressor> regressors;
  std::int32_t households = 0;  // included in the fit
  std::int32_t records = 0;     // of the data set
  std::string weight;           // the weight variable, "" when unweighted
  double r2 = 0.0, adjR2 = 0.0, f = 0.0, mse = 0.0;
};

// Raises "cannot open the model file <path>", or "<path> holds a failed fit".
ModelFileFit readModelFileFit(const std::string& path);

// Marks exactly the named regressors (and the intercept) as the model.
void markRegressors(const std::string& path, const std::vector<std::string>& names);

// The packed SSCP of the model's sample in the survey (see model_sample.h), the sample
// itself into *sample when given; makeSSCP also records the sample in the model file.
std::vector<double> sampleSscp(const std::string& surveyDaa, const std::string& modelPath,
                               ModelSample* sample = nullptr);

enum class FitMethod { kOls, kForward, kStepwise, kBackward };

// "ols", "forward", "stepwise" or "backward"; raises "<option> is ols, forward,
// stepwise or backward, not <name>" for another name.
FitMethod fitMethodNamed(const std::string& name, const std::string& option);
const char* fitMethodName(FitMethod method);

// Fits the model file from the SSCP by the method, appending the library's report of
// every step to reportPath; raises the reason in words when the export fails.
void fitModelFile(FitMethod method, const std::string& modelPath, std::vector<double>& sscp,
                  const std::string& reportPath, bool oneStep = false);

}  // namespace tessary::cli
