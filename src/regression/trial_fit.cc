// The trial fits of variable selection. One step factorises the cross-products of the
// current model once; every candidate is then tried by bordering those factors with
// its own row and column, which costs O(k^2) instead of a fresh O(k^3) inversion.
// The last pivot of the bordered factorisation is the candidate's residual
// cross-product given the model, so its partial F needs no inverse at all.
//
// Readings taken where the rules leave a choice:
//  - a trial whose solve meets a pivot below the singular bound (the last pivot may lie
//    between 1e-19 and 1e-12) fails like a singular one;
//  - with fewer than one error degree of freedom the critical F value is 0, so any
//    positive partial F enters (fdtri itself rejects such a call).
#include <algorithm>
#include <cmath>

#include "numeric/blas.h"
#include "numeric/lu.h"
#include "numeric/special_functions.h"
#include "regression/regression.h"

namespace tessary {

bool Regression::factorTrial(int k) {
  nModel = static_cast<std::int16_t>(k);
  sizeFit(k);
  fillCrossProducts(k);
  return luDecomposeNoPivot(crossProducts.data(), k) == 0;
}

bool Regression::estimateWith(int k) {
  estimationCount += 1;
  const int last = k - 1;
  const int candidate = selected[last];
  xty[last] = S(candidate, numOfRgrs);
  double* a = crossProducts.data();  // k x k, row by row, as the LU routines read it
  const auto stride = static_cast<std::size_t>(k);
  for (int q = 0; q < k; ++q)
    a[last * stride + q] = a[q * stride + last] = S(candidate, selected[q]);
  const double pivot = luExtend(a, k);
  if (pivot == 0.0) return false;
  if (luSolveNoPivot(a, xty.data(), beta.data(), k) != 0) return false;
  SSE = (Syy - blas::dot(k, xty.data(), beta.data())) * weightScale;
  SSR = SST - SSE;
  if (SSE < 0.0 || SSR < 0.0) return false;
  MSE = SSE / (static_cast<double>(nObs) - nModel);
  const double t = beta[last] / std::sqrt(MSE / pivot / weightScale);
  lastF = t * t;
  return true;
}

double Regression::standardError(int position) const {
  return std::sqrt(inverse(position, position) * MSE / weightScale);
}

int Regression::removeWeakest(double threshold) {
  int weakest = 0;
  double smallest = 0.0;
  for (int i = 1; i < nModel; ++i) {
    if (regressors[static_cast<std::size_t>(selected[i])].flags != kInModel) continue;
    const double t = beta[i] / standardError(i);
    if (weakest == 0 || t * t < smallest) weakest = i, smallest = t * t;
  }
  if (weakest == 0 || smallest >= threshold) return 0;
  const int record = selected[weakest];
  regressors[static_cast<std::size_t>(record)].flags &= static_cast<std::uint8_t>(~kInModel);
  std::copy(selected.begin() + weakest + 1, selected.end(), selected.begin() + weakest);
  selected.back() = 0;
  nModel -= 1;
  return record;
}

// The F value that a regressor must exceed (entry) or reach (stay) with one and
// nObs - modelSize - 2 degrees of freedom; 0 when that leaves no degree of freedom.
double Regression::criticalF(int modelSize, double level) const {
  const std::int64_t df = static_cast<std::int64_t>(nObs) - modelSize - 2;
  if (df < 1) return 0.0;
  return fdtri(1, static_cast<std::int32_t>(df), level);
}

}  // namespace tessary
