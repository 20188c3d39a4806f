// Reference values for the accuracy tests, computed in 80-bit long double from the
// defining series and continued fractions (Stirling's series for log-gamma, the power
// series and Legendre's continued fraction for the incomplete gamma integral, the
// standard continued fraction for the incomplete beta integral). Nothing here shares a
// formula or a coefficient with the code under test beyond the mathematics itself.
#pragma once

#include <cmath>

namespace tessary::testing::reference {

using Real = long double;

inline constexpr Real kPi = 3.141592653589793238462643383279502884L;
inline constexpr Real kTiny = 1e-4000L;

// log |Gamma(x)|.
inline Real logGamma(Real x) {
  if (x < 0.5L) return std::log(kPi / std::fabs(std::sin(kPi * x))) - logGamma(1.0L - x);
  // Gamma(x) = Gamma(x + n) / (x (x+1) ... (x+n-1)), then Stirling's series at x + n >= 30.
  Real logProduct = 0.0L;
  while (x < 30.0L) {
    logProduct += std::log(x);
    x += 1.0L;
  }
  // B_2k / (2k (2k-1)) for k = 1..8.
  static constexpr Real kTerms[] = {1.0L / 12,   -1.0L / 360,      1.0L / 1260, -1.0L / 1680,
                                    1.0L / 1188, -691.0L / 360360, 1.0L / 156,  -3617.0L / 122400};
  const Real inverseSquare = 1.0L / (x * x);
  Real power = 1.0L / x;
  Real series = 0.0L;
  for (Real term : kTerms) {
    series += term * power;
    power *= inverseSquare;
  }
  return (x - 0.5L) * std::log(x) - x + 0.5L * std::log(2.0L * kPi) + series - logProduct;
}

struct Tails {
  Real lower;
  Real upper;
};

// P(a, x) and Q(a, x), each computed directly where it is the smaller one's side.
inline Tails incompleteGamma(Real a, Real x) {
  if (x <= 0.0L) return {0.0L, 1.0L};
  const Real logFactor = a * std::log(x) - x - logGamma(a);
  if (x < a + 1.0L) {
    // P = x^a e^-x / Gamma(a+1) * sum x^k / ((a+1)...(a+k)).
    Real term = 1.0L;
    Real sum = 1.0L;
    Real denominator = a;
    for (int k = 0; k < 1000000; ++k) {
      denominator += 1.0L;
      term *= x / denominator;
      sum += term;
      if (term < sum * 1e-22L) break;
    }
    const Real lower = std::exp(logFactor) * sum / a;
    return {lower, 1.0L - lower};
  }
  // Q = x^a e^-x / Gamma(a) / (x+1-a - 1(1-a)/(x+3-a - 2(2-a)/(x+5-a - ...))), by Lentz.
  Real b = x + 1.0L - a;
  Real c = 1.0L / kTiny;
  Real d = 1.0L / b;
  Real fraction = d;
  for (int i = 1; i < 1000000; ++i) {
    const Real an = -i * (i - a);
    b += 2.0L;
    d = an * d + b;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = b + an / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0L / d;
    const Real delta = d * c;
    fraction *= delta;
    if (std::fabs(delta - 1.0L) < 3e-19L) break;
  }
  const Real upper = std::exp(logFactor) * fraction;
  return {1.0L - upper, upper};
}

inline Real logBeta(Real a, Real b) {
  return logGamma(a) + logGamma(b) - logGamma(a + b);
}

// The continued fraction 1/(1 + d1/(1 + d2/(1 + ...))) of I_x(a, b), by Lentz.
inline Real betaFraction(Real a, Real b, Real x) {
  Real c = 1.0L;
  Real d = 1.0L - (a + b) * x / (a + 1.0L);
  if (std::fabs(d) < kTiny) d = kTiny;
  d = 1.0L / d;
  Real fraction = d;
  for (int m = 1; m < 1000000; ++m) {
    const Real even = m * (b - m) * x / ((a + 2 * m - 1.0L) * (a + 2 * m));
    d = 1.0L + even * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1.0L + even / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0L / d;
    fraction *= d * c;
    const Real odd = -(a + m) * (a + b + m) * x / ((a + 2 * m) * (a + 2 * m + 1.0L));
    d = 1.0L + odd * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1.0L + odd / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0L / d;
    const Real delta = d * c;
    fraction *= delta;
    if (std::fabs(delta - 1.0L) < 3e-19L) break;
  }
  return fraction;
}

// I_x(a, b) and its complement, with xc = 1 - x passed separately to keep its digits.
inline Tails incompleteBeta(Real a, Real b, Real x, Real xc) {
  if (x <= 0.0L) return {0.0L, 1.0L};
  if (xc <= 0.0L) return {1.0L, 0.0L};
  const Real logFactor = a * std::log(x) + b * std::log(xc) - logBeta(a, b);
  if (x < (a + 1.0L) / (a + b + 2.0L)) {
    const Real lower = std::exp(logFactor) * betaFraction(a, b, x) / a;
    return {lower, 1.0L - lower};
  }
  const Real upper = std::exp(logFactor) * betaFraction(b, a, xc) / b;
  return {1.0L - upper, upper};
}

// Standard normal tails at x.
inline Tails normal(Real x) {
  const Real outer = 0.5L * incompleteGamma(0.5L, 0.5L * x * x).upper;
  return x < 0.0L ? Tails{outer, 1.0L - outer} : Tails{1.0L - outer, outer};
}

// Student t with k degrees of freedom.
inline Tails student(Real k, Real t) {
  const Real denominator = k + t * t;
  const Real outer =
      0.5L * incompleteBeta(0.5L * k, 0.5L, k / denominator, t * t / denominator).lower;
  return t < 0.0L ? Tails{outer, 1.0L - outer} : Tails{1.0L - outer, outer};
}

// F with (a, b) degrees of freedom.
inline Tails fisher(Real a, Real b, Real x) {
  const Real denominator = b + a * x;
  return incompleteBeta(0.5L * a, 0.5L * b, a * x / denominator, b / denominator);
}

// Refines a claimed root of f(x) = 0 inside (lo, hi) by Newton steps in long double
// and returns the refined root; `f` returns the value and `slope` the derivative. A
// step that leaves the interval goes half way to its end instead.
template <class F, class Slope>
Real newtonRoot(Real x, F&& f, Slope&& slope, Real lo = 0.0L, Real hi = INFINITY) {
  for (int i = 0; i < 60; ++i) {
    Real next = x - f(x) / slope(x);
    if (!(next > lo)) next = 0.5L * (x + lo);
    if (!(next < hi)) next = 0.5L * (x + hi);
    const Real step = next - x;
    x = next;
    if (std::fabs(step) <= std::fabs(x) * 1e-20L) break;
  }
  return x;
}

}  // namespace tessary::testing::reference
