#include "regression/alpha_model.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "frame/number_format.h"
#include "regression/cross_products.h"
#include "regression/regression_trace.h"
#include "tessary.h"

namespace tessary {
namespace {

constexpr std::size_t kTracedHouseholds = 100;

}  // namespace

double alphaDependent(std::span<const double> e, std::span<double> lhs) {
  double low = 0.0, high = 0.0;
  getRange(e.data(), static_cast<std::int32_t>(e.size()), &low, &high);
  const double bound = 1.05 * std::max(low * low, high * high);
  trace() << "*** getAlphaLHS ***" << '\n';
  for (std::size_t i = 0; i < e.size(); ++i) {
    const double square = e[i] * e[i];
    lhs[i] = std::log(square / (bound - square));
    trace() << i << "  " << e[i] << "  " << lhs[i] << '\n';
  }
  return bound;
}

WhiteCovariance whiteCovariance(const double* x, std::size_t ld, int k, std::span<const double> r,
                                const double* weights) {
  WeightedGram bread(k), meat(k);
  std::vector<double> row(static_cast<std::size_t>(std::max(k, 0)));
  for (std::size_t i = 0; i < r.size(); ++i) {
    for (std::size_t c = 0; c < row.size(); ++c)
      row[c] = x[c * ld + i];
    const double w = weights != nullptr ? weights[i] : 1.0;
    bread.add(row.data(), w);
    meat.add(row.data(), w * w * r[i] * r[i]);
  }
  WhiteCovariance out;
  out.covariance = sandwich(bread.matrix().inverse(), meat.matrix());
  out.covariance.print(trace(), "aCov after White adjust");
  out.root = out.covariance.squareRoot();
  out.root.print(trace(), "aCov after SVD");
  return out;
}

void epsilonVariances(int mode, std::span<const double> z, double betaMSE, double sigEta2,
                      double alphaMSE, double A, std::span<double> out) {
  trace() << "*** getVarEpsilon *** \n A=" << formatFixed(A, 10, 16)
          << " betaMSE =" << formatFixed(betaMSE, 10, 16)
          << " alphaMSE =" << formatFixed(alphaMSE, 10, 16) << '\n'
          << "Obs  Alkpha_RMSE_      Alpha-Yhat   B  VarEp   Sigma(Eps)" << '\n';
  for (std::size_t i = 0; i < z.size(); ++i) {
    if (mode > 1) {
      out[i] = epsilonVarianceAt(A, alphaMSE, 1.0 / (1.0 + std::exp(-z[i])));
    } else {
      out[i] = betaMSE - sigEta2;
    }
    if (i >= kTracedHouseholds) continue;
    if (mode > 1)
      trace() << i << ' ' << std::sqrt(alphaMSE) << ' ' << z[i] << ' ' << std::exp(z[i]) << ' '
              << out[i] << ' ' << std::sqrt(out[i]) << '\n';
    else
      trace() << i << ' ' << betaMSE << ' ' << sigEta2 << ' ' << out[i] << '\n';
  }
}

}  // namespace tessary
