// Regularised incomplete gamma integrals and the inverse of the upper one (Cephes
// igam.c and igami.c algorithms).
#include <cmath>

#include "numeric/special_constants.h"
#include "numeric/special_functions.h"

namespace tessary {

namespace {

// log(x^a e^-x / gamma(a)), the common factor of both integrals; `name` reports when
// the factor underflows.
double logPrefactor(double a, double x, const char* name) {
  const double logFactor = a * std::log(x) - x - lgam(a);
  if (logFactor < -MAXLOG) mtherr(name, kMathUnderflow);
  return logFactor;
}

}  // namespace

double igam(double a, double x) {
  if (x <= 0.0 || a <= 0.0) return 0.0;
  // The continued fraction of the complement converges faster there.
  if (x > 1.0 && x > a) return 1.0 - igamc(a, x);

  const double factor = std::exp(logPrefactor(a, x, "igam"));
  // Power series: sum of x^k / ((a+1)...(a+k)).
  double denominator = a;
  double term = 1.0;
  double sum = 1.0;
  do {
    denominator += 1.0;
    term *= x / denominator;
    sum += term;
  } while (term / sum > MACHEP);
  return sum * factor / a;
}

double igamc(double a, double x) {
  if (x <= 0.0 || a <= 0.0) return 1.0;
  if (x < 1.0 || x < a) return 1.0 - igam(a, x);

  const double factor = std::exp(logPrefactor(a, x, "igamc"));
  // Continued fraction, evaluated through its convergents p/q.
  double y = 1.0 - a;
  double z = x + y + 1.0;
  double c = 0.0;
  double pPrev2 = 1.0;
  double qPrev2 = x;
  double pPrev = x + 1.0;
  double qPrev = z * x;
  double value = pPrev / qPrev;
  double change;
  do {
    c += 1.0;
    y += 1.0;
    z += 2.0;
    const double yc = y * c;
    const double p = pPrev * z - pPrev2 * yc;
    const double q = qPrev * z - qPrev2 * yc;
    if (q != 0.0) {
      const double next = p / q;
      change = std::fabs((value - next) / next);
      value = next;
    } else {
      change = 1.0;
    }
    pPrev2 = pPrev;
    pPrev = p;
    qPrev2 = qPrev;
    qPrev = q;
    if (std::fabs(p) > big) {
      pPrev2 *= biginv;
      pPrev *= biginv;
      qPrev2 *= biginv;
      qPrev *= biginv;
    }
  } while (change > MACHEP);
  return value * factor;
}

double igami(double a, double y0) {
  // Bracket [low, high] of the root with Q(high) = yLow <= y0 <= yHigh = Q(low).
  double high = MAXNUM;
  double yLow = 0.0;
  double low = 0.0;
  double yHigh = 1.0;
  const double threshold = 5.0 * MACHEP;

  // Wilson-Hilferty start.
  double d = 1.0 / (9.0 * a);
  double y = 1.0 - d - ndtri(y0) * std::sqrt(d);
  double x = a * y * y * y;
  const double logGammaA = lgam(a);

  bool converged = false;
  for (int i = 0; i < 10; ++i) {
    if (x > high || x < low) break;
    y = igamc(a, x);
    if (y < yLow || y > yHigh) break;
    if (y < y0) {
      high = x;
      yLow = y;
    } else {
      low = x;
      yHigh = y;
    }
    // Derivative of Q: -x^(a-1) e^-x / gamma(a).
    const double logSlope = (a - 1.0) * std::log(x) - x - logGammaA;
    if (logSlope < -MAXLOG) break;
    const double slope = -std::exp(logSlope);
    if (slope == 0.0) break;
    const double step = (y - y0) / slope;
    if (std::fabs(step / x) < threshold) {
      converged = true;
      break;
    }
    x -= step;
  }
  if (converged) return x;

  // Interval halving. First find an upper end when Newton left none.
  double fraction = 0.0625;
  if (high == MAXNUM) {
    if (x <= 0.0) x = 1.0;
    while (high == MAXNUM) {
      x = (1.0 + fraction) * x;
      y = igamc(a, x);
      // A start that is not a number (a or y0 outside the domain) would never end.
      if (std::isnan(y) || !std::isfinite(x)) mtherr("igami", kMathDomain);
      if (y < y0) {
        high = x;
        yLow = y;
        break;
      }
      fraction += fraction;
    }
  }
  fraction = 0.5;
  int direction = 0;  // run length of steps to the same side, signed
  for (int i = 0; i < 400; ++i) {
    x = low + fraction * (high - low);
    y = igamc(a, x);
    if (std::fabs((high - low) / (low + high)) < threshold) break;
    if (std::fabs((y - y0) / y0) < threshold) break;
    if (x <= 0.0) break;
    if (y >= y0) {
      low = x;
      yHigh = y;
      if (direction < 0) {
        direction = 0;
        fraction = 0.5;
      } else if (direction > 1) {
        fraction = 0.5 * fraction + 0.5;
      } else {
        fraction = (y0 - yLow) / (yHigh - yLow);
      }
      direction += 1;
    } else {
      high = x;
      yLow = y;
      if (direction > 0) {
        direction = 0;
        fraction = 0.5;
      } else if (direction < -1) {
        fraction = 0.5 * fraction;
      } else {
        fraction = (y0 - yLow) / (yHigh - yLow);
      }
      direction -= 1;
    }
  }
  if (x == 0.0) mtherr("igami", kMathUnderflow);
  return x;
}

}  // namespace tessary
