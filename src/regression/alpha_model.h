// The alpha model of the household error variance: its dependent variable, a logistic
// transform of the squared household residual bounded by A; the heteroskedasticity-
// robust (White) covariance of its coefficients; and each household's error variance
// from the alpha model's predictions.
//
// Readings taken where the behaviour is open:
//  - the heteroskedastic variance A E/(1+E) + alphaMSE A E(1-E) / (2 (1+E)^3), E = exp(z),
//    is computed through p = 1 / (1 + exp(-z)) (see epsilonVarianceAt), the same value
//    without the overflow of E for large z (z = 0 still gives A/2 exactly);
//  - without weights every weight is 1.
#pragma once

#include <span>

#include "numeric/matrix.h"

namespace tessary {

// A := 1.05 max(min^2, max^2) over the finite residuals e; lhs(i) := ln(e(i)^2 /
// (A - e(i)^2)) (minus infinity for a residual of 0). Traces every household. Returns A.
double alphaDependent(std::span<const double> e, std::span<double> lhs);

struct WhiteCovariance {
  Matrix covariance;  // H^-1 (sum w^2 r^2 x'x) H^-1 with H = sum w x'x
  Matrix root;        // its symmetric square root
};

// x: n rows of k regressors, column by column with leading dimension ld; r the n
// residuals; weights n values or null. Traces both matrices. Raises "Matrix
// uninversable." when H is singular.
WhiteCovariance whiteCovariance(const double* x, std::size_t ld, int k, std::span<const double> r,
                                const double* weights);

// The household error variance of the alpha model at the prediction z, from
// p = 1/(1 + e^-z): with E = e^z,
//   A E/(1+E) + alphaMSE/2 A E (1-E)/(1+E)^3  =  A p (1 + alphaMSE/2 (1-p)(1-2p)),
// the right-hand form holding no overflow for any z. The one formula of the variance:
// getVarEpsilon and the census simulation both use it.
inline double epsilonVarianceAt(double A, double alphaMSE, double p) {
  return A * p * (1.0 + 0.5 * alphaMSE * (1.0 - p) * (1.0 - 2.0 * p));
}

// The household error variances from the alpha predictions z: heteroskedastic for
// mode > 1, otherwise betaMSE - sigEta2 for every household. Traces the first 100.
void epsilonVariances(int mode, std::span<const double> z, double betaMSE, double sigEta2,
                      double alphaMSE, double A, std::span<double> out);

}  // namespace tessary
