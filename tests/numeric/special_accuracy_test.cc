// Accuracy of the special functions over grids across their domains, including the
// tails and the points where the algorithms switch branches, against long double
// references computed from the defining series and continued fractions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "frame/failure.h"
#include "numeric/long_double_reference.h"
#include "numeric/special_constants.h"
#include "numeric/special_functions.h"

namespace tessary {
namespace {

namespace ref = testing::reference;
using ref::Real;

// Collects the relative errors of one function over its grid.
class ErrorTally {
 public:
  void add(double got, Real expected, const std::vector<double>& arguments) {
    ++count_;
    const Real error = std::fabs(static_cast<Real>(got) - expected) / std::fabs(expected);
    if (!(error <= worst_)) {  // a NaN result counts as the worst
      worst_ = std::isnan(static_cast<double>(error)) ? INFINITY : error;
      worstArguments_ = arguments;
    }
  }
  int count() const { return count_; }
  double worst() const { return static_cast<double>(worst_); }
  std::string worstAt() const {
    std::string text;
    for (double argument : worstArguments_) {
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, " %.17g", argument);
      text += buffer;
    }
    return text;
  }

 private:
  int count_ = 0;
  Real worst_ = 0.0L;
  std::vector<double> worstArguments_;
};

void expectAccurate(const ErrorTally& tally, double bound, int minimumPoints) {
  EXPECT_GE(tally.count(), minimumPoints);
  EXPECT_LE(tally.worst(), bound) << "worst at" << tally.worstAt();
  if (std::getenv("TESSARY_SHOW_ERRORS") != nullptr)
    std::printf("worst %.3g at%s over %d points\n", tally.worst(), tally.worstAt().c_str(),
                tally.count());
}

// n points from lo to hi, evenly spaced on a log scale.
std::vector<double> logGrid(double lo, double hi, int n) {
  std::vector<double> points;
  for (int i = 0; i < n; ++i)
    points.push_back(std::exp(std::log(lo) + (std::log(hi) - std::log(lo)) * i / (n - 1)));
  return points;
}

std::vector<double> linearGrid(double lo, double hi, int n) {
  std::vector<double> points;
  for (int i = 0; i < n; ++i)
    points.push_back(lo + (hi - lo) * i / (n - 1));
  return points;
}

// x and its neighbours a few units in the last place away on both sides.
std::vector<double> around(double x) {
  std::vector<double> points{x};
  double up = x;
  double down = x;
  for (int i = 0; i < 3; ++i) {
    up = std::nextafter(up, INFINITY);
    down = std::nextafter(down, -INFINITY);
    points.push_back(up);
    points.push_back(down);
  }
  return points;
}

void append(std::vector<double>& to, const std::vector<double>& from) {
  to.insert(to.end(), from.begin(), from.end());
}

// The references themselves, against closed forms.
void expectSameLongDouble(Real got, Real expected) {
  EXPECT_LT(static_cast<double>(std::fabs(got / expected - 1.0L)), 1e-15)
      << static_cast<double>(got) << " vs " << static_cast<double>(expected);
}

TEST(SpecialAccuracy, ReferencesMatchClosedForms) {
  expectSameLongDouble(ref::logGamma(0.5L), 0.5L * std::log(ref::kPi));
  expectSameLongDouble(ref::logGamma(171.0L), std::lgamma(171.0L));
  expectSameLongDouble(ref::logGamma(-2.5L), std::log(8.0L * std::sqrt(ref::kPi) / 15.0L));
  for (Real x : {0.01L, 0.7L, 3.0L, 40.0L}) {
    expectSameLongDouble(ref::incompleteGamma(1.0L, x).upper, std::exp(-x));
    expectSameLongDouble(ref::incompleteGamma(2.0L, x).upper, (1.0L + x) * std::exp(-x));
  }
  for (Real x : {1e-5L, 0.2L, 0.6L, 0.999L}) {
    // I_x(1, 7.5) = 1 - (1 - x)^7.5
    expectSameLongDouble(ref::incompleteBeta(1.0L, 7.5L, x, 1.0L - x).lower,
                         -std::expm1(7.5L * std::log1p(-x)));
  }
  // Student t with 1 degree of freedom is Cauchy.
  expectSameLongDouble(ref::student(1.0L, -3.0L).lower, std::atan(1.0L / 3.0L) / ref::kPi);
}

Real normalDensity(Real x) {
  return std::exp(-0.5L * x * x) / std::sqrt(2.0L * ref::kPi);
}

TEST(SpecialAccuracy, NormalInverse) {
  std::vector<double> ys = logGrid(1e-300, 0.49, 150);
  for (double tail : logGrid(1e-16, 0.49, 100))
    ys.push_back(1.0 - tail);
  append(ys, linearGrid(0.01, 0.99, 97));
  append(ys, around(expm2));
  append(ys, around(1.0 - expm2));
  append(ys, around(std::exp(-32.0)));  // sqrt(-2 log y) = 8
  ErrorTally tally;
  for (double y : ys) {
    if (y == 0.5) continue;
    const double got = ndtri(y);
    // Solve on the tail that y measures directly, so that 1 - y costs no digits.
    const bool upper = y > 0.5;
    const Real target = upper ? 1.0L - y : static_cast<Real>(y);
    const Real expected = ref::newtonRoot(
        got, [&](Real x) { return (upper ? ref::normal(x).upper : ref::normal(x).lower) - target; },
        [&](Real x) { return upper ? -normalDensity(x) : normalDensity(x); }, -INFINITY);
    tally.add(got, expected, {y});
  }
  expectAccurate(tally, 1e-13, 300);
}

TEST(SpecialAccuracy, LogGamma) {
  std::vector<double> xs = logGrid(1e-300, 0.9, 60);
  append(xs, linearGrid(1.1, 1.9, 9));
  append(xs, linearGrid(2.1, 12.9, 40));
  append(xs, logGrid(13.5, 2e305, 100));
  append(xs, linearGrid(-33.95, -0.05, 60));
  append(xs, logGrid(34.05, 1e300, 60));
  for (double& x : xs) {
    if (x < -34.0) x = -x;
  }
  for (double x : logGrid(34.05, 1e15, 40))
    xs.push_back(-(std::floor(x) + 0.37));
  for (double branch : {3.0, 13.0, 1000.0, 1.0e8})
    append(xs, around(branch));
  append(xs, around(-34.0 - 0.5));
  ErrorTally tally;
  for (double x : xs) {
    const Real expected = ref::logGamma(x);
    // Near its zeros the value carries no relative precision; those are checked below.
    if (std::fabs(expected) < 0.05L) continue;
    tally.add(lgam(x), expected, {x});
  }
  expectAccurate(tally, 1e-13, 300);

  // Around the zeros at 1 and 2 the error is small absolutely.
  for (double x : {0.97, 0.99, 0.999, 1.001, 1.01, 1.03, 1.98, 1.999, 2.001, 2.02})
    EXPECT_NEAR(lgam(x), static_cast<double>(ref::logGamma(x)), 1e-15) << x;
}

// Grid of (a, x) pairs for the incomplete gamma integral: x from far below to far above
// a on a log scale, plus the branch lines x = 1 and x = a.
std::vector<std::pair<double, double>> incompleteGammaGrid() {
  std::vector<std::pair<double, double>> points;
  for (double a : {0.01, 0.05, 0.1, 0.37, 0.5, 0.9, 1.0, 1.5, 2.0, 3.7, 6.0, 10.0, 17.5, 30.0})
    for (double factor : logGrid(1e-3, 40.0, 25))
      points.emplace_back(a, a * factor);
  for (double a : {0.2, 0.8, 1.3, 5.0, 25.0}) {
    for (double x : around(1.0))
      points.emplace_back(a, x);
    for (double x : around(a))
      points.emplace_back(a, x);
  }
  return points;
}

TEST(SpecialAccuracy, IncompleteGamma) {
  ErrorTally lower;
  ErrorTally upper;
  for (auto [a, x] : incompleteGammaGrid()) {
    const ref::Tails expected = ref::incompleteGamma(a, x);
    // Beyond the underflow of the common factor the functions report instead.
    // Where either tail underflows, both functions report instead (each may pass
    // through the other).
    if (expected.lower < 1e-300L || expected.upper < 1e-300L) continue;
    lower.add(igam(a, x), expected.lower, {a, x});
    upper.add(igamc(a, x), expected.upper, {a, x});
  }
  expectAccurate(lower, 1e-13, 300);
  expectAccurate(upper, 1e-13, 300);
}

TEST(SpecialAccuracy, IncompleteGammaInverse) {
  ErrorTally tally;
  for (double a : {0.05, 0.3, 0.5, 1.0, 1.7, 3.0, 8.0, 20.0, 45.0, 100.0}) {
    // Close to 1, y0 fixes the root through 1 - y0, which the upper integral resolves
    // only to an absolute 1e-16; the grid stops where that costs about 1e-13.
    std::vector<double> ys = logGrid(1e-30, 0.5, 16);
    for (double tail : logGrid(1e-3 / a, 0.45, 14))
      ys.push_back(1.0 - tail);
    for (double y : ys) {
      const double got = igami(a, y);
      const bool useLower = y > 0.5;
      const Real target = useLower ? 1.0L - y : static_cast<Real>(y);
      const Real logGammaA = ref::logGamma(a);
      const Real expected = ref::newtonRoot(
          got,
          [&](Real x) {
            const ref::Tails t = ref::incompleteGamma(a, x);
            return (useLower ? t.lower : t.upper) - target;
          },
          [&](Real x) {
            const Real density = std::exp((a - 1.0L) * std::log(x) - x - logGammaA);
            return useLower ? density : -density;
          });
      tally.add(got, expected, {a, y});
    }
  }
  expectAccurate(tally, 1e-12, 300);
}

TEST(SpecialAccuracy, ChiSquareQuantile) {
  ErrorTally tally;
  for (double df : {1.0, 1.5, 2.0, 3.0, 5.0, 10.0, 24.0, 60.0, 150.0}) {
    // The quantile inverts the upper integral at 1 - y, so a small y loses its digits
    // in 1 - y: the grid starts where that costs about 1e-13.
    std::vector<double> ys = logGrid(2e-3, 0.5, 18);
    for (double tail : logGrid(1e-12, 0.45, 17))
      ys.push_back(1.0 - tail);
    for (double y : ys) {
      const double got = chi2dtri(df, y);
      const Real a = 0.5L * df;
      const bool useUpper = y > 0.5;
      const Real target = useUpper ? 1.0L - y : static_cast<Real>(y);
      const Real logGammaA = ref::logGamma(a);
      const Real expected = ref::newtonRoot(
          got,
          [&](Real x) {
            const ref::Tails t = ref::incompleteGamma(a, 0.5L * x);
            return (useUpper ? t.upper : t.lower) - target;
          },
          [&](Real x) {
            const Real density =
                0.5L * std::exp((a - 1.0L) * std::log(0.5L * x) - 0.5L * x - logGammaA);
            return useUpper ? -density : density;
          });
      tally.add(got, expected, {df, y});
    }
  }
  expectAccurate(tally, 1e-12, 300);
}

TEST(SpecialAccuracy, IncompleteBeta) {
  ErrorTally lower;
  const double parameters[] = {0.05, 0.2, 0.5, 1.0, 2.5, 7.0, 30.0, 80.0};
  std::vector<double> xs = logGrid(1e-6, 0.5, 5);
  for (double tail : logGrid(1e-6, 0.45, 4))
    xs.push_back(1.0 - tail);
  for (double a : parameters) {
    for (double b : parameters) {
      std::vector<double> points = xs;
      points.push_back(a / (a + b));              // the swap line
      points.push_back(std::min(0.95, 1.0 / b));  // the edge of the power series
      for (double x : points) {
        if (!(x > 0.0 && x < 1.0)) continue;
        const Real expected = ref::incompleteBeta(a, b, x, 1.0L - x).lower;
        if (expected < 1e-300L) continue;
        lower.add(incbet(a, b, x), expected, {a, b, x});
      }
    }
  }
  expectAccurate(lower, 1e-12, 500);
}

TEST(SpecialAccuracy, IncompleteBetaInverse) {
  ErrorTally tally;
  const double parameters[] = {0.1, 0.5, 1.0, 1.5, 4.0, 12.0, 30.0};
  // Where a or b is at most 1 the search judges closeness by the relative change of
  // y, so close to 1 it accepts a wide range of x: the upper tail stops at 1e-5.
  std::vector<double> ys = logGrid(1e-12, 0.5, 5);
  for (double tail : logGrid(1e-5, 0.3, 3))
    ys.push_back(1.0 - tail);
  for (double a : parameters) {
    for (double b : parameters) {
      const Real logB = ref::logBeta(a, b);
      for (double y : ys) {
        const double got = incbi(a, b, y);
        const bool useUpper = y > 0.5;
        const Real target = useUpper ? 1.0L - y : static_cast<Real>(y);
        const Real expected = ref::newtonRoot(
            got,
            [&](Real x) {
              const ref::Tails t = ref::incompleteBeta(a, b, x, 1.0L - x);
              return (useUpper ? t.upper : t.lower) - target;
            },
            [&](Real x) {
              const Real density =
                  std::exp((a - 1.0L) * std::log(x) + (b - 1.0L) * std::log1p(-x) - logB);
              return useUpper ? -density : density;
            },
            0.0L, 1.0L);
        if (expected < 1e-300L) continue;
        tally.add(got, expected, {a, b, y});
      }
    }
  }
  expectAccurate(tally, 1e-12, 300);
}

TEST(SpecialAccuracy, StudentT) {
  ErrorTally tally;
  std::vector<double> ts = linearGrid(-6.0, 6.0, 25);
  append(ts, {-2.0, std::nextafter(-2.0, 0.0), std::nextafter(-2.0, -10.0), -30.0, -300.0, 40.0});
  append(ts, logGrid(1e-6, 1e-2, 3));
  for (int k : {1, 2, 3, 4, 5, 7, 10, 15, 30, 101, 300, 1000}) {
    for (double t : ts) {
      if (t == 0.0) continue;
      const Real expected = ref::student(k, t).lower;
      if (expected < 1e-300L) continue;  // underflows
      tally.add(stdtr(k, t), expected, {static_cast<double>(k), t});
    }
  }
  expectAccurate(tally, 1e-12, 300);
}

// F points: degrees of freedom and x from far left to far right of the mean.
struct FPoint {
  int a, b;
  double x;
};

TEST(SpecialAccuracy, FDistribution) {
  ErrorTally lower;
  const int freedoms[] = {1, 2, 3, 5, 10, 30, 120};
  for (int a : freedoms)
    for (int b : freedoms)
      for (double x : logGrid(1e-3, 200.0, 7)) {
        const Real expected = ref::fisher(a, b, x).lower;
        lower.add(fdtr(a, b, x), expected, {static_cast<double>(a), static_cast<double>(b), x});
      }
  expectAccurate(lower, 1e-12, 300);
}

TEST(SpecialAccuracy, FQuantile) {
  ErrorTally tally;
  const int freedoms[] = {1, 2, 4, 7, 15, 40, 100};
  std::vector<double> ys = {1e-8, 1e-4, 0.0005, 0.001, 0.01, 0.05, 0.3, 0.7, 0.95, 0.999};
  for (int a : freedoms) {
    for (int b : freedoms) {
      const Real logB = ref::logBeta(0.5L * a, 0.5L * b);
      for (double y : ys) {
        const double got = fdtri(a, b, y);
        // y is the upper tail; solve on the smaller side.
        const bool useLower = y > 0.5;
        const Real target = useLower ? 1.0L - y : static_cast<Real>(y);
        const Real expected = ref::newtonRoot(
            got,
            [&](Real x) {
              const ref::Tails t = ref::fisher(a, b, x);
              return (useLower ? t.lower : t.upper) - target;
            },
            [&](Real x) {
              const Real ha = 0.5L * a;
              const Real hb = 0.5L * b;
              const Real density =
                  std::exp(ha * std::log(a / static_cast<Real>(b)) + (ha - 1.0L) * std::log(x) -
                           (ha + hb) * std::log1p(a * x / b) - logB);
              return useLower ? density : -density;
            });
        tally.add(got, expected, {static_cast<double>(a), static_cast<double>(b), y});
      }
    }
  }
  expectAccurate(tally, 1e-12, 300);
}

}  // namespace
}  // namespace tessary
