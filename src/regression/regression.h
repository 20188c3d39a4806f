// One linear model of a dependent variable (`LHS`) on candidate regressors, fitted by
// weighted least squares on the included records of a combined data array.
//
// Estimation runs in two stages the host calls separately: the data stage builds the
// packed SSCP (the upper triangle, row by row, of the weighted cross-products of every
// candidate and the dependent variable); the estimation stage fits the model named in
// the model file from the SSCP alone, writes the results back into the model file and
// appends a report. Every member raises failures as messages; members that label them
// put their own name in front on the way out.
//
// Readings taken where the behaviour is open:
//  - a singular cross-product matrix is what the LU inversion calls singular;
//  - a column of the predicted value is read whenever a regressor needs it, whatever
//    `yhatLevel` says;
//  - without a weight array every weight is 1;
//  - infinities and not-a-number values print as "inf", "-inf" and "nan" in reports.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "numeric/matrix.h"
#include "numeric/vector.h"
#include "regression/regression_data.h"
#include "regression/regressor.h"

namespace tessary {

class CProject;

// The tag that opens a model file: "101" and the byte 0xA5.
inline constexpr char kModelTag[4] = {'1', '0', '1', static_cast<char>(0xA5)};

// Offset of S(i, i) minus i in the packed upper triangle of an (n+1) x (n+1) matrix:
// S(i, j), i <= j, lies at rowOffset(i) + j.
inline std::int64_t packedRowOffset(std::int64_t i, std::int64_t n) {
  return i * (n + 1) - i * (i - 1) / 2 - i;
}
inline std::int64_t packedSize(std::int64_t n) {
  return (n + 1) * (n + 2) / 2;
}

class Regression {
 public:
  Regression();
  ~Regression();
  Regression(const Regression&) = delete;
  Regression& operator=(const Regression&) = delete;

  // ---- data stage ----
  // Attaches the data set (opening it when a path is given) and reads `modelFile`
  // when given; nRecs becomes the data set's record count.
  void load(const std::string& daaPath, const std::string& modelFile);
  void load(RegressionData& data, const std::string& modelFile);
  // Lays gmask over mBuffer, applies the condition, counts nObs and totalWeight and,
  // with `save`, writes the model file back. Returns nObs.
  std::int32_t init(std::uint8_t* mBuffer, double* weights, bool save);
  void setCondition(std::span<double> scratch);
  // The design matrix, column by column (nObs rows each), regressors then LHS: mode
  // 0..2 the model's regressors, 3..5 every candidate. Returns the regressor columns.
  int getX(double* X, int mode);
  // The packed SSCP of every candidate and LHS into out; false when LHS is empty.
  bool buildSSCP(double* out);
  // The values of `variable` for the included records, in record order.
  std::size_t readValues(const std::string& variable, double* out);

  // ---- estimation stage ----
  void prepare(const std::string& modelFile, double* sscp, const std::string& reportFile);
  bool estimate(int k);
  void saveResult(const std::string& file, bool refit);
  std::int16_t OLS(const std::string& modelFile, double* sscp, const std::string& reportFile);
  int simpleOLS();
  int selectModel();
  // Appends the report of the current fit to reportFile (nothing when it is empty).
  void printReport(const std::string& title, bool withSelectionLevels) const;

  // ---- model file, building and prediction ----
  bool loading(const std::string& path);
  bool saving(const std::string& path);
  void dump() const;
  std::int32_t buildModel(const std::string& projectFile, const std::string& modelFile,
                          const std::string& lhs, int yhatLevel, unsigned levelMask);
  std::int32_t updateModel(const std::string& projectFile, const std::string& modelFile,
                           const std::string& lhs, int yhatLevel, unsigned levelMask);
  int getPrediction(double* pred, double* work, double* yhatBuffer, bool compact, bool skipYhat);

  // ---- variable selection and by-group fits ----
  // Forward (no removal) and stepwise (with removal) selection from the packed SSCP,
  // and backward elimination. Each accepted step appends its report; the chosen model
  // is written back into modelFile. 0, or -1 after any failure (nothing is shown).
  std::int16_t forward(const std::string& modelFile, double* sscp, const std::string& reportFile,
                       bool oneStep);
  std::int16_t stepwise(const std::string& modelFile, double* sscp, const std::string& reportFile,
                        bool oneStep);
  std::int16_t backward(const std::string& modelFile, double* sscp, const std::string& reportFile,
                        bool oneStep);
  // The engine of forward and stepwise selection, once prepare has run.
  std::int16_t ForwardEstimate(const std::string& modelFile, double* sscp, bool oneStep);
  // Fills the k x k cross-products of the first k positions and factorises them in
  // place without exchanges (Crout); false at a pivot below 1e-12. nModel becomes k.
  bool factorTrial(int k);
  // The trial fit of the model whose last position (k - 1) holds a candidate, bordering
  // the factors of the leading k - 1 positions; lastF is the candidate's partial F.
  bool estimateWith(int k);
  // Takes out the removable regressor (flags exactly kInModel) with the smallest F when
  // that F is below threshold; returns its record index, or 0.
  int removeWeakest(double threshold);
  // The standard error of the coefficient at a model position of the current fit.
  double standardError(int position) const;
  // Refits the model once without each category of byVar (see by_group.cc), writing
  // 8 + 2 * nModel doubles per fitted category; returns the categories fitted.
  std::int32_t OLSby(const std::string& byVar, double* resultsOut);

  // S(i, j) of the attached SSCP, either order.
  double S(int i, int j) const;

  char tag[4] = {kModelTag[0], kModelTag[1], kModelTag[2], kModelTag[3]};
  std::vector<Regressor> regressors;
  std::int16_t numOfRgrs = 0;
  std::int16_t nModel = 0;
  std::int32_t nObs = 0;
  std::int32_t initialModelSize = 0;
  std::int32_t nRecs = 0;
  std::string condition;
  std::string LHS;
  std::span<std::uint8_t> gmask;
  std::vector<std::int32_t> selected;
  bool allowRemoval = false;
  bool suppressSave = false;
  double* sscp = nullptr;
  double* weights = nullptr;
  std::vector<std::int64_t> rowOffset;
  std::int16_t status = 0;
  Matrix inverse;
  Matrix crossProducts;
  Vector xty;
  Vector beta;
  double SST = 0.0, SSR = 0.0, SSE = 0.0, MSE = 0.0, F = 0.0, R2 = 0.0, adjR2 = 0.0;
  double slEntry = 0.05, slStay = 0.05, lastF = 0.0, Syy = 0.0;
  double totalWeight = 0.0, weightScale = 1.0;
  std::uint8_t yhatLevel = 0;
  std::int32_t estimationCount = 0;
  std::int32_t trailer = 0;
  std::uint8_t* mBuffer = nullptr;
  std::string reportFile;
  std::string Weight;
  std::string modelFile;

 private:
  RegressionData& data();
  void attachModel(const std::string& file);
  // The number of model positions: the intercept and every record flagged in the model.
  int modelCount() const;
  // Sizes the fit's matrices for k regressors.
  void sizeFit(int k);
  // The fit statistics after SSE, for k regressors.
  void finishStatistics(int k);
  // The full cross-product matrix (columns x columns) of a design plan's columns.
  std::vector<double> crossProductsOf(std::span<const std::int32_t> order, const std::string& lhs);
  // Model building.
  void attachProject(const std::string& projectFile, unsigned levelMask);
  std::vector<VariableFacts> selectedCandidates(unsigned levelMask);
  std::vector<Regressor> candidateRecords(const VariableFacts& variable);
  void sumWeights(std::span<const std::uint8_t> mask);
  std::size_t firstCandidatePosition() const;
  void addNewVariables(unsigned levelMask);
  void removeDeselected();
  void countRegressors();
  std::string saveFailure(const std::string& file) const;
  // Selection.
  struct Trial {
    int record = 0;  // 0: no candidate qualified
    double f = 0.0;
    double ssr = 0.0;
  };
  void fillCrossProducts(int k);
  double criticalF(int modelSize, double level) const;
  Trial bestCandidate(int modelSize, double entryF, int lastDropped);
  void admit(int record, int modelSize);
  int dropWeakestAfter(int added, double stayF);
  void addCandidatesForBackward();
  bool fitWithoutCategory(const std::string& byVar, std::int32_t code,
                          std::span<const std::uint8_t> baseMask, std::span<std::uint8_t> mask,
                          std::span<double> weightBuffer);

  RegressionData ownData_;             // the data set opened from a path
  RegressionData* data_ = nullptr;     // the data set in use
  std::unique_ptr<CProject> project_;  // the project when the model is built from one
};

// The two-sided p-value of a t statistic with df degrees of freedom; not a number when
// it cannot be formed.
double twoSidedPValue(std::int32_t df, double t);

}  // namespace tessary
