// Gamma and log-gamma (Cephes gamma.c algorithms and tables).
#include <cmath>

#include "numeric/special_constants.h"
#include "numeric/special_functions.h"

namespace tessary {

namespace {

thread_local int signOfGamma = 1;

// Gamma on [2, 3): P/Q in x - 2.
constexpr double kGammaP[] = {1.60119522476751861407E-4, 1.19135147006586384913E-3,
                              1.04213797561761569935E-2, 4.76367800457137231464E-2,
                              2.07448227648435975150E-1, 4.94214826801497100753E-1,
                              9.99999999999999996796E-1};
constexpr double kGammaQ[] = {-2.31581873324120129819E-5, 5.39605580493303397842E-4,
                              -4.45641913851797240494E-3, 1.18139785222060435552E-2,
                              3.58236398605498653373E-2,  -2.34591795718243348568E-1,
                              7.14304917030273074085E-2,  1.00000000000000000320E0};

// Stirling's series correction in 1/x.
constexpr double kStirling[] = {7.87311395793093628397E-4, -2.29549961613378126380E-4,
                                -2.68132617805781232825E-3, 3.47222221605458667310E-3,
                                8.33333333333482257126E-2};

// Log-gamma: A for the Stirling tail, B/C on [2, 3).
constexpr double kLogGammaA[] = {8.11614167470508450300E-4, -5.95061904284301438324E-4,
                                 7.93650340457716943945E-4, -2.77777777730099687205E-3,
                                 8.33333333333331927722E-2};
constexpr double kLogGammaB[] = {-1.37825152569120859100E3, -3.88016315134637840924E4,
                                 -3.31612992738871184744E5, -1.16237097492762307383E6,
                                 -1.72173700820839662146E6, -8.53555664245765465627E5};
constexpr double kLogGammaC[] = {-3.51815701436523470549E2, -1.70642106651881159223E4,
                                 -2.20528590553854454839E5, -1.13933444367982507207E6,
                                 -2.53252307177582951285E6, -2.01889141433532773231E6};

// Parity of a whole number of any size, without converting it to an integer type.
bool isEven(double whole) {
  return std::fmod(whole, 2.0) == 0.0;
}

}  // namespace

int gammaSign() {
  return signOfGamma;
}

double stirf(double x) {
  double w = 1.0 / x;
  w = 1.0 + w * polevl(w, kStirling, 4);
  double y = std::exp(x);
  if (x > MAXSTIR) {
    // Split the power so that it does not overflow before the division.
    const double v = std::pow(x, 0.5 * x - 0.25);
    y = v * (v / y);
  } else {
    y = std::pow(x, x - 0.5) / y;
  }
  return s2pi * y * w;
}

double gamma(double x) {
  signOfGamma = 1;
  if (x == MAXNUM || x == -MAXNUM) return x;

  const double q = std::fabs(x);
  if (q > 33.0) {
    if (x >= 0.0) return stirf(x);
    // Reflection: gamma(x) = -pi / (q sin(pi q) gamma(q)) with q = -x.
    double p = std::floor(q);
    if (p == q) mtherr("gamma", kMathDomain);
    if (isEven(p)) signOfGamma = -1;
    double fraction = q - p;
    if (fraction > 0.5) {
      p += 1.0;
      fraction = q - p;
    }
    const double sine = q * std::sin(PI * fraction);
    if (sine == 0.0) return signOfGamma * MAXNUM;
    return signOfGamma * (PI / (std::fabs(sine) * stirf(q)));
  }

  // Shift the argument into [2, 3), collecting the factors in z.
  double z = 1.0;
  while (x >= 3.0) {
    x -= 1.0;
    z *= x;
  }
  bool nearZero = false;
  while (x < 0.0) {
    if (x > -1.0e-9) {
      nearZero = true;
      break;
    }
    z /= x;
    x += 1.0;
  }
  while (!nearZero && x < 2.0) {
    if (x < 1.0e-9) {
      nearZero = true;
      break;
    }
    z /= x;
    x += 1.0;
  }
  if (nearZero) {
    if (x == 0.0) mtherr("gamma", kMathDomain);
    return z / ((1.0 + EUL * x) * x);
  }
  if (x == 2.0) return z;
  x -= 2.0;
  return z * polevl(x, kGammaP, 6) / polevl(x, kGammaQ, 7);
}

double lgam(double x) {
  signOfGamma = 1;

  if (x < -34.0) {
    // Reflection through log(pi / (q sin(pi q))) - lgam(q), q = -x.
    const double q = -x;
    const double logGammaQ = lgam(q);  // resets the sign; it is set again below
    double p = std::floor(q);
    if (p == q) mtherr("lgam", kMathSingularity);
    signOfGamma = isEven(p) ? -1 : 1;
    double fraction = q - p;
    if (fraction > 0.5) {
      p += 1.0;
      fraction = p - q;
    }
    const double sine = q * std::sin(PI * fraction);
    if (sine == 0.0) mtherr("lgam", kMathSingularity);
    return LOGPI - std::log(sine) - logGammaQ;
  }

  if (x < 13.0) {
    // Recur to u in [2, 3): gamma(x) = z * gamma(u).
    double z = 1.0;
    double shift = 0.0;
    double u = x;
    while (u >= 3.0) {
      shift -= 1.0;
      u = x + shift;
      z *= u;
    }
    while (u < 2.0) {
      if (u == 0.0) mtherr("lgam", kMathSingularity);
      z /= u;
      shift += 1.0;
      u = x + shift;
    }
    if (z < 0.0) {
      signOfGamma = -1;
      z = -z;
    } else {
      signOfGamma = 1;
    }
    if (u == 2.0) return std::log(z);
    shift -= 2.0;
    const double t = x + shift;
    return std::log(z) + t * polevl(t, kLogGammaB, 5) / p1evl(t, kLogGammaC, 6);
  }

  if (x > MAXLGM) mtherr("lgam", kMathSingularity);

  double q = (x - 0.5) * std::log(x) - x + LS2PI;
  if (x > 1.0e8) return q;
  const double p = 1.0 / (x * x);
  if (x >= 1000.0) {
    q += ((7.9365079365079365079365e-4 * p - 2.7777777777777777777778e-3) * p +
          0.0833333333333333333333) /
         x;
  } else {
    q += polevl(p, kLogGammaA, 4) / x;
  }
  return q;
}

}  // namespace tessary
