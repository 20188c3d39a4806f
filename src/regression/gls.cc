// The GLS step as the host sees it: the weights rescaled, the sums over clusters (or,
// without the location component or after a failed cluster computation, over
// households), the coefficients, their covariance and its square root, each traced.
#include <cmath>
#include <vector>

#include "frame/messages.h"
#include "numeric/blas.h"
#include "regression/cross_products.h"
#include "regression/gls.h"
#include "regression/gls_sums.h"
#include "regression/regression_trace.h"
#include "tessary.h"

namespace tessary {
namespace {

constexpr std::int32_t kTracedHouseholds = 100;
constexpr const char* kFallOver =
    "GLS adjustment can't be performed. Fail over to no location effect";

// The clustered sums, or none (after the message box) when the cluster computation fails.
bool tryClusterSums(const GlsColumns& columns, const GlsProblem& problem, GlsMiddleTerm middle,
                    GlsSums& sums) {
  try {
    const std::vector<std::int64_t> offsets =
        checkClusters(columns, problem.clusterSizes, problem.sigEta2);
    sums = clusterSums(columns, offsets, problem.sigEta2, middle);
    return true;
  } catch (...) {
    showMessageBox(std::string(kFallOver) + ".");
    trace() << kFallOver << '\n';
    return false;
  }
}

// Steps after the sums: coefficients, covariance, its root and the error figures.
void estimateFrom(GlsSums& sums, const GlsProblem& problem, GlsEstimate& out) {
  const int k = problem.k;
  sums.xbx.print(trace(), "final XUBUX");
  out.inverse = Matrix(sums.xbx).inverse();
  out.inverse.print(trace(), "Inverse(XUBUX)");
  sums.xby.print(trace(), "XUBUY");
  Matrix beta(k, 1);
  blas::multiply(k, k, out.inverse.data(), k, sums.xby.data(), beta.data());
  beta.print(trace(), "Beta after GLS");
  out.covariance = sandwich(out.inverse, sums.meat);
  out.covarianceRoot = out.covariance.squareRoot();
  out.covarianceRoot.print(trace(), "bCov after decomposition");
  if (problem.traceMode <= 1 && !out.withLocation) {
    out.covarianceRoot.print(trace(), "bCov from Beta regression");
    beta.print(trace(), "bReg from Beta regression");
  } else {
    beta.print(trace(), "GLS Adjusted Beta Coefficient");
    out.covariance.print(trace(), "bCov after GLS adjustment");
  }
  out.covarianceRoot.print(trace(), "Final bCov after sigular-decomposition");
  const double fitted = blas::dot(k, sums.xby.data(), beta.data());
  out.sse = (sums.yby - fitted) * out.weightAdjuster;
  out.mse = out.sse / (problem.n - k);
  trace() << "YUBUY=" << sums.yby << '\n'
          << "XUBUY.dotMultiply(bReg)=" << fitted << '\n'
          << "SSE=" << out.sse << '\n'
          << "MSE=" << out.mse << '\n';
  out.beta = Vector(k);
  out.stdErr = Vector(k);
  for (int i = 0; i < k; ++i) {
    out.beta[i] = beta(i, 0);
    out.stdErr[i] = std::sqrt(out.inverse(i, i)) * out.mse / out.weightAdjuster;
  }
}

}  // namespace

GlsEstimate glsAdjustment(const GlsProblem& problem, GlsMiddleTerm middle) {
  const std::int32_t n = problem.n;
  std::vector<double> units;
  std::span<double> weights = problem.weights;
  if (weights.empty()) {
    units.assign(static_cast<std::size_t>(std::max(n, 0)), 1.0);
    weights = units;
  }
  GlsEstimate out;
  out.weightAdjuster = n / Unitization(weights.data(), n, n);
  trace() << "WghtAdjuster=" << out.weightAdjuster << '\n';
  std::vector<double> roots(weights.size());
  for (std::size_t i = 0; i < roots.size(); ++i)
    roots[i] = std::sqrt(weights[i]);
  for (std::int32_t i = 0; i < std::min(n, kTracedHouseholds); ++i)
    trace() << i << "  " << weights[i] << "  " << problem.y[i] << "  " << problem.varEps[i] << '\n';

  const GlsColumns columns{
      problem.x,      problem.ld,  problem.k, n, problem.y.data(), problem.varEps.data(),
      weights.data(), roots.data()};
  GlsSums sums;
  if (!problem.noLocation) {
    trace() << "with location error" << '\n';
    out.withLocation = tryClusterSums(columns, problem, middle, sums);
  } else {
    trace() << "no location error" << '\n';
  }
  if (!out.withLocation) sums = householdSums(columns, middle);
  estimateFrom(sums, problem, out);
  return out;
}

}  // namespace tessary
