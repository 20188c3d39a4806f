// The regularised incomplete beta integral (Cephes incbet.c algorithm): a power series
// for small b x, otherwise one of two continued fractions on the side of the mean
// where it converges.
#include <cmath>

#include "frame/failure.h"
#include "numeric/special_constants.h"
#include "numeric/special_functions.h"

namespace tessary {

namespace {

constexpr int kMaxFractionSteps = 300;

// Shared driver of the two continued fractions. Each step applies two partial
// numerators, `odd` and `even`, and then advances their counters.
template <class Step>
double evaluateFraction(Step&& step) {
  double pPrev2 = 0.0;
  double qPrev2 = 1.0;
  double pPrev = 1.0;
  double qPrev = 1.0;
  double value = 1.0;
  double ratio = 1.0;
  const double threshold = 3.0 * MACHEP;
  for (int n = 0; n < kMaxFractionSteps; ++n) {
    double numerators[2];
    step(numerators);
    double p = 0.0;
    double q = 0.0;
    for (double numerator : numerators) {
      p = pPrev + pPrev2 * numerator;
      q = qPrev + qPrev2 * numerator;
      pPrev2 = pPrev;
      pPrev = p;
      qPrev2 = qPrev;
      qPrev = q;
    }
    if (q != 0.0) ratio = p / q;
    double change = 1.0;
    if (ratio != 0.0) {
      change = std::fabs((value - ratio) / ratio);
      value = ratio;
    }
    if (change < threshold) break;
    if (std::fabs(q) + std::fabs(p) > big) {
      pPrev2 *= biginv;
      pPrev *= biginv;
      qPrev2 *= biginv;
      qPrev *= biginv;
    }
    if (std::fabs(q) < biginv || std::fabs(p) < biginv) {
      pPrev2 *= big;
      pPrev *= big;
      qPrev2 *= big;
      qPrev *= big;
    }
  }
  return value;
}

// x^a (1-x)^b / (a B(a, b)) times w, through gamma while nothing overflows.
double betaFactor(double a, double b, double x, double complement, double w) {
  const double logXa = a * std::log(x);
  const double logXcB = b * std::log(complement);
  if (a + b < MAXGAM && std::fabs(logXa) < MAXLOG && std::fabs(logXcB) < MAXLOG) {
    double t = std::pow(complement, b);
    t *= std::pow(x, a);
    t /= a;
    t *= w;
    return t * (gamma(a + b) / (gamma(a) * gamma(b)));
  }
  double logResult = logXa + (logXcB + lgam(a + b) - lgam(a) - lgam(b));
  logResult += std::log(w / a);
  return logResult < MINLOG ? 0.0 : std::exp(logResult);
}

}  // namespace

double incbcf(double a, double b, double x) {
  double k1 = a, k2 = a + b, k3 = a, k4 = a + 1.0;
  double k5 = 1.0, k6 = b - 1.0, k7 = a + 1.0, k8 = a + 2.0;
  return evaluateFraction([&](double* numerators) {
    numerators[0] = -(x * k1 * k2) / (k3 * k4);
    numerators[1] = (x * k5 * k6) / (k7 * k8);
    k1 += 1.0;
    k2 += 1.0;
    k3 += 2.0;
    k4 += 2.0;
    k5 += 1.0;
    k6 -= 1.0;
    k7 += 2.0;
    k8 += 2.0;
  });
}

double incbd(double a, double b, double x) {
  const double z = x / (1.0 - x);
  double k1 = a, k2 = b - 1.0, k3 = a, k4 = a + 1.0;
  double k5 = 1.0, k6 = a + b, k7 = a + 1.0, k8 = a + 2.0;
  return evaluateFraction([&](double* numerators) {
    numerators[0] = -(z * k1 * k2) / (k3 * k4);
    numerators[1] = (z * k5 * k6) / (k7 * k8);
    k1 += 1.0;
    k2 -= 1.0;
    k3 += 2.0;
    k4 += 2.0;
    k5 += 1.0;
    k6 += 1.0;
    k7 += 2.0;
    k8 += 2.0;
  });
}

double pseries(double a, double b, double x) {
  const double inverseA = 1.0 / a;
  double u = (1.0 - b) * x;
  const double firstTerm = u / (a + 1.0);
  double v = firstTerm;
  double product = u;
  double n = 2.0;
  double sum = 0.0;
  const double tolerance = MACHEP * inverseA;
  while (std::fabs(v) > tolerance) {
    u = (n - b) * x / n;
    product *= u;
    v = product / (a + n);
    sum += v;
    n += 1.0;
  }
  sum += firstTerm;
  sum += inverseA;

  const double logXa = a * std::log(x);
  if (a + b < MAXGAM && std::fabs(logXa) < MAXLOG) {
    return sum * (gamma(a + b) / (gamma(a) * gamma(b))) * std::pow(x, a);
  }
  const double logResult = lgam(a + b) - lgam(a) - lgam(b) + logXa + std::log(sum);
  return logResult < MINLOG ? 0.0 : std::exp(logResult);
}

double incbet(double a, double b, double x) {
  if (a <= 0.0 || b <= 0.0) raiseFailure("Bad parameter calling incbet");
  if (x <= 0.0 || x >= 1.0) {
    if (x == 0.0) return 0.0;
    if (x == 1.0) return 1.0;
    raiseFailure("Bad parameter calling incbet");
  }
  if (b * x <= 1.0 && x <= 0.95) return pseries(a, b, x);

  // Work on the side of the mean where the expansions converge; swapped, the result
  // is the complement.
  const bool swapped = x > a / (a + b);
  const double aa = swapped ? b : a;
  const double bb = swapped ? a : b;
  const double xx = swapped ? 1.0 - x : x;
  const double complement = swapped ? x : 1.0 - x;

  double t;
  if (swapped && bb * xx <= 1.0 && xx <= 0.95) {
    t = pseries(aa, bb, xx);
  } else {
    const double w = xx * (aa + bb - 2.0) - (aa - 1.0) < 0.0 ? incbcf(aa, bb, xx)
                                                             : incbd(aa, bb, xx) / complement;
    t = betaFactor(aa, bb, xx, complement, w);
  }
  if (!swapped) return t;
  return t <= MACHEP ? 1.0 - MACHEP : 1.0 - t;
}

}  // namespace tessary
