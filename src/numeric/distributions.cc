// Student t, F and chi-square distributions on top of the incomplete integrals
// (Cephes stdtr.c, fdtr.c and chdtr.c algorithms, with this library's tails).
#include <cmath>

#include "frame/failure.h"
#include "numeric/special_constants.h"
#include "numeric/special_functions.h"

namespace tessary {

namespace {

// Sum of the finite series 1 + (j0-1)/(j0 z) + ..., over j = j0, j0 + 2, ... <= k - 2,
// stopping early once a term is negligible.
double tSeries(std::int32_t k, int firstJ, double z) {
  double sum = 1.0;
  double term = 1.0;
  for (int j = firstJ; j <= k - 2 && term / sum > MACHEP; j += 2) {
    term *= (j - 1) / (z * j);
    sum += term;
  }
  return sum;
}

}  // namespace

double stdtr(std::int32_t k, double t) {
  if (k <= 0) raiseFailure("DF must be greater than 0");
  if (t == 0.0) return 0.5;
  const double rk = k;
  if (t < -2.0) return 0.5 * incbet(0.5 * rk, 0.5, rk / (rk + t * t));

  // Probability of the interval (-|t|, |t|).
  const double x = std::fabs(t);
  const double z = 1.0 + x * x / rk;
  double central;
  if (k % 2 != 0) {
    const double scaled = x / std::sqrt(rk);
    central = std::atan(scaled);
    if (k > 1) central += tSeries(k, 3, z) * scaled / z;
    central *= 2.0 / PI;
  } else {
    central = tSeries(k, 2, z) * x / std::sqrt(z * rk);
  }
  if (t < 0.0) central = -central;
  return 0.5 + 0.5 * central;
}

double fdtr(std::int32_t ia, std::int32_t ib, double x) {
  if (ia < 1 || ib < 1 || !(x >= 0.0)) mtherr("fdtr", kMathDomain);
  const double a = ia;
  const double b = ib;
  double w = a * x;
  w = w / (b + w);
  return incbet(0.5 * a, 0.5 * b, w);
}

double fdtri(std::int32_t ia, std::int32_t ib, double y) {
  if (ia < 1 || ib < 1 || !(y > 0.0 && y <= 1.0)) mtherr("fdtri", kMathDomain);
  const double a = ia;
  const double b = ib;
  // The upper tail at x = 1 decides which side inverts without cancellation.
  double w = incbet(0.5 * b, 0.5 * a, 0.5);
  if (w > y || y < 0.001) {
    w = incbi(0.5 * b, 0.5 * a, y);
    return (b - b * w) / (a * w);
  }
  w = incbi(0.5 * a, 0.5 * b, 1.0 - y);
  return b * w / (a * (1.0 - w));
}

double chi2dtri(double df, double y) {
  if (!(y >= 0.0 && y <= 1.0 && df >= 1.0)) mtherr("chdtri", kMathDomain);
  return 2.0 * igami(0.5 * df, 1.0 - y);
}

}  // namespace tessary
