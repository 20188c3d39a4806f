// Generalised least squares with the error covariance of a two-level survey: within
// cluster c, the households' errors have covariance V_c = sigma^2_eta J + diag(varEps_i)
// (J all ones). With s_i the root of household i's weight (the weights rescaled to sum
// to n) and B_c = diag(s) V_c^-1 diag(s), the coefficients are
// beta = (X'BX)^-1 X'By and their covariance (X'BX)^-1 M (X'BX)^-1.
//
// Every cluster term is accumulated from the closed form of V_c^-1 (a diagonal minus a
// rank-one correction) in O(m k^2) for a cluster of m households; no m x m matrix is
// formed. The rank-one term is taken about the cluster's weighted mean row, so its
// cancellation does not grow with the cluster. The observable behaviour is that of the
// dense per-cluster computation: clusters above 5,000 households raise "Cluster too
// large", a singular cluster matrix raises "Matrix uninversable.", and either makes the
// whole computation fall over to the estimator without the location component after a
// message box.
//
// The middle term M: the GLSadjustment export uses T'BT with T = V diag(s) X
// (w^2 varEps x'x for one household), because hosts compare its figures with those of
// the established program. That is not the estimator's covariance: for errors of
// covariance V it is the sandwich X'BVBX (w^2 / varEps x'x for one household), which
// the poverty-map pipeline uses; T'BT understates the variance by about varEps^2.
//
// Readings taken where the behaviour is open:
//  - a cluster matrix counts as singular when a household variance is zero or not
//    finite, or when a pivot of its elimination in household order,
//    varEps_j + sigma^2_eta / (1 + sigma^2_eta sum_{l<j} 1/varEps_l), is below 1e-12 in
//    magnitude or not finite: the dense routine's test whenever it exchanges no rows
//    (always for sigma^2_eta >= 0 and positive variances);
//  - cluster sizes that run past the n households raise "Cluster size greater than the
//    number of observation" (and so the fall-over); households after the last cluster
//    take no part in the clustered sums;
//  - the cluster trace line is the cluster's index from 0 and its size, one blank
//    between; the location flag is traced as a number;
//  - without weights every weight is 1.
#pragma once

#include <cstdint>
#include <span>

#include "numeric/matrix.h"
#include "numeric/vector.h"

namespace tessary {

enum class GlsMiddleTerm {
  kPublished,  // T'BT, T = V diag(s) X: what the export returns
  kSandwich,   // X'BVBX: the covariance of the estimator
};

// The clusters the dense computation handles at most.
inline constexpr std::int32_t kMaxClusterHouseholds = 5000;

struct GlsProblem {
  const double* x = nullptr;  // n rows, k columns, column by column
  std::size_t ld = 0;         // leading dimension of x, >= n
  std::int32_t n = 0;
  int k = 0;
  std::span<double> weights;       // n, rescaled in place to sum to n; empty: every weight 1
  std::span<const double> y;       // n
  std::span<const double> varEps;  // n household error variances
  std::span<const std::int32_t> clusterSizes;  // households are ordered cluster by cluster
  double sigEta2 = 0.0;
  bool noLocation = false;  // compute without the location component
  int traceMode = 0;        // chooses trace titles only
};

struct GlsEstimate {
  Vector beta;            // k coefficients
  Vector stdErr;          // sqrt(inverse(i, i)) * MSE / weightAdjuster, as hosts expect
  Matrix inverse;         // (X'BX)^-1
  Matrix covariance;      // inverse M inverse
  Matrix covarianceRoot;  // its symmetric square root
  double sse = 0.0;
  double mse = 0.0;
  double weightAdjuster = 1.0;  // n / (sum of the weights as given)
  bool withLocation = false;    // false: computed without the location component
};

// The whole computation with its trace. Raises "Matrix uninversable." when X'BX is
// singular; failures of the cluster computation never leave it.
GlsEstimate glsAdjustment(const GlsProblem& problem, GlsMiddleTerm middle);

}  // namespace tessary
