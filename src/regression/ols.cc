// The estimation stage: least squares from the packed SSCP (or, for the direct fit,
// from cross-products of the model's own columns) with every fit statistic.
#include <cmath>
#include <limits>

#include "frame/trace.h"
#include "numeric/blas.h"
#include "numeric/saturating_cast.h"
#include "numeric/special_functions.h"
#include "regression/member_label.h"
#include "regression/regression.h"
#include "tessary.h"

namespace tessary {

double twoSidedPValue(std::int32_t df, double t) {
  if (df < 1 || std::isnan(t)) return std::numeric_limits<double>::quiet_NaN();
  if (std::isinf(t)) return 0.0;
  return 2.0 * (1.0 - stdtr(df, std::fabs(t)));
}

void Regression::sizeFit(int k) {
  inverse = Matrix(k, k);
  crossProducts = Matrix(k, k);
  xty = Vector(k);
  beta = Vector(k);
}

void Regression::finishStatistics(int k) {
  const double n = nObs;
  SSR = SST - SSE;
  R2 = 1.0 - SSE / SST;
  F = (SSR / (k - 1)) / (SSE / (n - k));
  MSE = SSE / (n - k);
  adjR2 = 1.0 - (1.0 - SSR / SST) * (n - 1) / (n - k);
}

void Regression::prepare(const std::string& file, double* packed, const std::string& report) {
  withLabel("Regression::prepare():\n", [&] {
    reportFile = report;
    loading(file);
    sscp = packed;
    weightScale = nObs / totalWeight;
    const int n = std::max<int>(numOfRgrs, 0);
    Syy = S(n, n);
    SST = (Syy - S(0, n) * S(0, n) / totalWeight) * weightScale;
  });
}

void Regression::fillCrossProducts(int k) {
  const int n = numOfRgrs;
  for (int a = 0; a < k; ++a) {
    for (int b = 0; b < k; ++b)
      crossProducts(b, a) = S(selected[a], selected[b]);
    xty[a] = S(selected[a], n);
  }
}

bool Regression::estimate(int k) {
  estimationCount += 1;
  nModel = static_cast<std::int16_t>(k);
  sizeFit(k);
  for (int a = 0; a < k; ++a)
    trace() << selected[a] << (a + 1 < k ? " " : "");
  trace() << '\n';
  fillCrossProducts(k);
  if (k < 1 || minverse(crossProducts.data(), k, inverse.data()) == 0) {
    status = -1;
    nModel = 0;
    return false;
  }
  blas::multiply(k, k, inverse.data(), k, xty.data(), beta.data());
  SSE = std::fabs(Syy - blas::dot(k, xty.data(), beta.data())) * weightScale;
  if (SSE > SST) SSE = SST;
  finishStatistics(k);
  const double last = beta[k - 1] / std::sqrt(MSE * inverse(k - 1, k - 1) / weightScale);
  lastF = last * last;
  return true;
}

void Regression::saveResult(const std::string& file, bool refit) {
  withLabel("Regression::saveResult():\n", [&] {
    if (refit) estimate(nModel);
    for (int i = 0; i < nModel; ++i) {
      Regressor& record = regressors[static_cast<std::size_t>(selected[i])];
      const double se = std::sqrt(inverse(i, i) * MSE / weightScale);
      record.coef = beta[i];
      record.stdErr = se;
      record.prob =
          twoSidedPValue(saturatingInt32(static_cast<double>(nObs) - nModel), beta[i] / se);
    }
    trace() << nModel << " before Saving" << '\n';
    if (!saving(file)) raiseFailure(saveFailure(file));
  });
}

std::int16_t Regression::OLS(const std::string& file, double* packed, const std::string& report) {
  try {
    prepare(file, packed, report);
    if (initialModelSize < 0) raiseFailure("Regression::OLS():Invalid model specification");
    nModel = static_cast<std::int16_t>(initialModelSize);
    if (nModel == 0) return 0;
    if (estimate(nModel)) {
      status = 0;
      saveResult(file, false);
      printReport("OLS estimation", false);
      return nModel;
    }
    nModel = 0;
    status = -1;
    saveResult(file, false);
    return -1;
  } catch (const Failure&) {
    return -2;
  }
}

int Regression::simpleOLS() {
  return withLabel("Regression::simpleOLS():\n", [&] {
    weightScale = nObs / totalWeight;
    const int k = nModel;
    if (k < 1) return -1;
    const std::vector<double> full =
        crossProductsOf(std::span<const std::int32_t>(selected.data(), k), LHS);
    const int p = k + 1;
    auto at = [&](int i, int j) {
      return full[static_cast<std::size_t>(std::max(i, j)) * p + std::min(i, j)];
    };
    sizeFit(k);
    for (int a = 0; a < k; ++a) {
      for (int b = 0; b < k; ++b)
        crossProducts(a, b) = at(a, b);
      xty[a] = at(a, k);
    }
    Syy = at(k, k);
    const double sy = at(0, k);
    SST = (Syy - sy * sy / totalWeight) * weightScale;
    if (minverse(crossProducts.data(), k, inverse.data()) == 0) {
      trace() << "can't inverse" << '\n';
      return -1;
    }
    blas::multiply(k, k, inverse.data(), k, xty.data(), beta.data());
    SSE = (Syy - blas::dot(k, xty.data(), beta.data())) * weightScale;
    if (SSE < 0.0 || SST - SSE < 0.0) return -1;
    finishStatistics(k);
    if (!suppressSave) saveResult(modelFile, false);
    return 0;
  });
}

}  // namespace tessary
