// The special functions: accuracy over grids across their domains (the tails and the
// points where the algorithms switch branches included) against long double references
// computed from the defining series and continued fractions; exact values; failures
// with their trace lines and codes; the quiet-NaN exports; per-thread state.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "frame/failure.h"
#include "numeric/long_double_reference.h"
#include "numeric/special_constants.h"
#include "numeric/special_functions.h"
#include "tessary.h"

namespace tessary {
namespace {

namespace ref = testing::reference;
using ref::Real;
using Points = std::vector<std::vector<double>>;

// n points from lo to hi, evenly spaced on a log scale, or linearly.
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
// x and its neighbours up to three units in the last place away.
std::vector<double> around(double x) {
  std::vector<double> points{x};
  for (double up = x, down = x; points.size() < 7;) {
    points.push_back(up = std::nextafter(up, INFINITY));
    points.push_back(down = std::nextafter(down, -INFINITY));
  }
  return points;
}
std::vector<double> joined(std::initializer_list<std::vector<double>> parts) {
  std::vector<double> all;
  for (const auto& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}
// Small values y, and 1 - t for small tails t.
std::vector<double> bothTails(std::vector<double> small, const std::vector<double>& tails) {
  for (double t : tails)
    small.push_back(1.0 - t);
  return small;
}
Points pairs(const std::vector<double>& as, const std::vector<double>& xs) {
  Points points;
  for (double a : as)
    for (double x : xs)
      points.push_back({a, x});
  return points;
}
Points triples(const std::vector<double>& as, const std::vector<double>& bs,
               const std::vector<double>& xs) {
  Points points;
  for (double a : as)
    for (double b : bs)
      for (double x : xs)
        points.push_back({a, b, x});
  return points;
}

// The root x of tail(x) = y that the inverse `got` claims, refined in long double on the
// side where y is small, so that 1 - y costs no digits; `yIsUpper` says which tail y
// measures.
template <class TailsAt, class DensityAt>
Real solveTail(double got, double y, bool yIsUpper, TailsAt tails, DensityAt density,
               Real lo = 0.0L, Real hi = INFINITY) {
  const bool flip = y > 0.5;
  const bool upper = yIsUpper != flip;
  const Real target = flip ? 1.0L - y : static_cast<Real>(y);
  return ref::newtonRoot(
      got,
      [&](Real x) {
        const ref::Tails t = tails(x);
        return (upper ? t.upper : t.lower) - target;
      },
      [&](Real x) { return upper ? -density(x) : density(x); }, lo, hi);
}

Real gammaDensity(Real a, Real x) {
  return std::exp((a - 1.0L) * std::log(x) - x - ref::logGamma(a));
}
Real betaDensity(Real a, Real b, Real x) {
  return std::exp((a - 1.0L) * std::log(x) + (b - 1.0L) * std::log1p(-x) - ref::logBeta(a, b));
}

// One function over its grid: the reference of each point (NaN leaves the point out,
// and the function is not called there) and the largest relative error allowed. The
// reference of an inverse refines the value the function gave.
struct Accuracy {
  const char* name;
  bool inverse;
  Points points;
  std::function<double(const std::vector<double>&)> got;
  std::function<Real(const std::vector<double>&, double got)> expected;
  double bound;
};

// A reference that leaves its point out, and one that underflows.
constexpr Real kSkip = NAN;
bool tiny(Real v) {
  return v < 1e-300L;
}

std::vector<Accuracy> accuracyTable() {
  std::vector<double> lgamPoints =
      joined({logGrid(1e-300, 0.9, 60), linearGrid(1.1, 1.9, 9), linearGrid(2.1, 12.9, 40),
              logGrid(13.5, 2e305, 100), linearGrid(-33.95, -0.05, 60), logGrid(34.05, 1e300, 60),
              around(3.0), around(13.0), around(1000.0), around(1.0e8), around(-34.5)});
  for (double x : logGrid(34.05, 1e15, 40))
    lgamPoints.push_back(-(std::floor(x) + 0.37));
  Points incompleteGammaPoints;
  for (double a : {0.01, 0.05, 0.1, 0.37, 0.5, 0.9, 1.0, 1.5, 2.0, 3.7, 6.0, 10.0, 17.5, 30.0})
    for (double factor : logGrid(1e-3, 40.0, 25))
      incompleteGammaPoints.push_back({a, a * factor});
  for (double a : {0.2, 0.8, 1.3, 5.0, 25.0})  // the branch lines x = 1 and x = a
    for (double x : joined({around(1.0), around(a)}))
      incompleteGammaPoints.push_back({a, x});
  Points betaPoints;
  const std::vector<double> betaParameters = {0.05, 0.2, 0.5, 1.0, 2.5, 7.0, 30.0, 80.0};
  for (double a : betaParameters)
    for (double b : betaParameters)
      for (double x : joined({bothTails(logGrid(1e-6, 0.5, 5), logGrid(1e-6, 0.45, 4)),
                              {a / (a + b), std::min(0.95, 1.0 / b)}}))  // swap line, series edge
        betaPoints.push_back({a, b, x});
  Points igamiPoints;
  for (double a : {0.05, 0.3, 0.5, 1.0, 1.7, 3.0, 8.0, 20.0, 45.0, 100.0})
    // Close to 1 the root is fixed through 1 - y, which the upper integral resolves only
    // to an absolute 1e-16: the grid stops where that costs about 1e-13.
    for (double y : bothTails(logGrid(1e-30, 0.5, 16), logGrid(1e-3 / a, 0.45, 14)))
      igamiPoints.push_back({a, y});
  std::vector<double> studentPoints =
      joined({linearGrid(-6.0, 6.0, 25),
              {-2.0, std::nextafter(-2.0, 0.0), std::nextafter(-2.0, -10.0)},
              {-30.0, -300.0, 40.0},
              logGrid(1e-6, 1e-2, 3)});

  return {
      {"ndtri", true,
       pairs({0}, joined({bothTails(logGrid(1e-300, 0.49, 150), logGrid(1e-16, 0.49, 100)),
                          linearGrid(0.01, 0.99, 97), around(expm2), around(1.0 - expm2),
                          around(std::exp(-32.0))})),  // sqrt(-2 log y) = 8
       [](const auto& p) { return ndtri(p[1]); },
       [](const auto& p, double got) -> Real {
         if (p[1] == 0.5) return kSkip;
         return solveTail(
             got, p[1], false, ref::normal,
             [](Real x) { return std::exp(-0.5L * x * x) / std::sqrt(2.0L * ref::kPi); },
             -INFINITY);
       },
       1e-13},
      {"lgam", false, pairs({0}, lgamPoints), [](const auto& p) { return lgam(p[1]); },
       [](const auto& p, double) -> Real {
         // Near its zeros the value carries no relative precision (checked apart).
         const Real expected = ref::logGamma(p[1]);
         return std::fabs(expected) < 0.05L ? kSkip : expected;
       },
       1e-13},
      // Where either tail underflows both functions report instead (each may pass
      // through the other).
      {"igam", false, incompleteGammaPoints, [](const auto& p) { return igam(p[0], p[1]); },
       [](const auto& p, double) -> Real {
         const ref::Tails t = ref::incompleteGamma(p[0], p[1]);
         return tiny(t.lower) || tiny(t.upper) ? kSkip : t.lower;
       },
       1e-13},
      {"igamc", false, incompleteGammaPoints, [](const auto& p) { return igamc(p[0], p[1]); },
       [](const auto& p, double) -> Real {
         const ref::Tails t = ref::incompleteGamma(p[0], p[1]);
         return tiny(t.lower) || tiny(t.upper) ? kSkip : t.upper;
       },
       1e-13},
      {"igami", true, igamiPoints, [](const auto& p) { return igami(p[0], p[1]); },
       [](const auto& p, double got) {
         const Real a = p[0];
         return solveTail(
             got, p[1], true, [&](Real x) { return ref::incompleteGamma(a, x); },
             [&](Real x) { return gammaDensity(a, x); });
       },
       1e-12},
      // The quantile inverts the upper integral at 1 - y, so a small y loses its digits
      // in 1 - y: the grid starts where that costs about 1e-13.
      {"chi2dtri", true,
       pairs({1.0, 1.5, 2.0, 3.0, 5.0, 10.0, 24.0, 60.0, 150.0},
             bothTails(logGrid(2e-3, 0.5, 18), logGrid(1e-12, 0.45, 17))),
       [](const auto& p) { return chi2dtri(p[0], p[1]); },
       [](const auto& p, double got) {
         const Real a = 0.5L * p[0];
         return solveTail(
             got, p[1], false, [&](Real x) { return ref::incompleteGamma(a, 0.5L * x); },
             [&](Real x) { return 0.5L * gammaDensity(a, 0.5L * x); });
       },
       1e-12},
      {"incbet", false, betaPoints, [](const auto& p) { return incbet(p[0], p[1], p[2]); },
       [](const auto& p, double) -> Real {
         if (!(p[2] > 0.0 && p[2] < 1.0)) return kSkip;
         const Real expected = ref::incompleteBeta(p[0], p[1], p[2], 1.0L - p[2]).lower;
         return tiny(expected) ? kSkip : expected;
       },
       1e-12},
      // Where a or b is at most 1 the search judges closeness by the relative change of
      // y, so close to 1 it accepts a wide range of x: the upper tail stops at 1e-5.
      {"incbi", true,
       triples({0.1, 0.5, 1.0, 1.5, 4.0, 12.0, 30.0}, {0.1, 0.5, 1.0, 1.5, 4.0, 12.0, 30.0},
               bothTails(logGrid(1e-12, 0.5, 5), logGrid(1e-5, 0.3, 3))),
       [](const auto& p) { return incbi(p[0], p[1], p[2]); },
       [](const auto& p, double got) -> Real {
         const Real a = p[0], b = p[1];
         const Real expected = solveTail(
             got, p[2], false, [&](Real x) { return ref::incompleteBeta(a, b, x, 1.0L - x); },
             [&](Real x) { return betaDensity(a, b, x); }, 0.0L, 1.0L);
         return tiny(expected) ? kSkip : expected;
       },
       1e-12},
      {"stdtr", false, pairs({1, 2, 3, 4, 5, 7, 10, 15, 30, 101, 300, 1000}, studentPoints),
       [](const auto& p) { return stdtr(static_cast<int>(p[0]), p[1]); },
       [](const auto& p, double) -> Real {
         const Real expected = ref::student(p[0], p[1]).lower;
         return p[1] == 0.0 || tiny(expected) ? kSkip : expected;
       },
       1e-12},
      {"fdtr", false,
       triples({1, 2, 3, 5, 10, 30, 120}, {1, 2, 3, 5, 10, 30, 120}, logGrid(1e-3, 200, 7)),
       [](const auto& p) { return fdtr(static_cast<int>(p[0]), static_cast<int>(p[1]), p[2]); },
       [](const auto& p, double) { return ref::fisher(p[0], p[1], p[2]).lower; }, 1e-12},
      {"fdtri", true,
       triples({1, 2, 4, 7, 15, 40, 100}, {1, 2, 4, 7, 15, 40, 100},
               {1e-8, 1e-4, 0.0005, 0.001, 0.01, 0.05, 0.3, 0.7, 0.95, 0.999}),
       [](const auto& p) { return fdtri(static_cast<int>(p[0]), static_cast<int>(p[1]), p[2]); },
       [](const auto& p, double got) {
         const Real a = p[0], b = p[1];
         return solveTail(
             got, p[2], true, [&](Real x) { return ref::fisher(a, b, x); },
             [&](Real x) {
               return std::exp(0.5L * a * std::log(a / b) + (0.5L * a - 1.0L) * std::log(x) -
                               0.5L * (a + b) * std::log1p(a * x / b) -
                               ref::logBeta(0.5L * a, 0.5L * b));
             });
       },
       1e-12}};
}

TEST(SpecialFunctions, AccuracyOverTheirDomains) {
  for (const Accuracy& c : accuracyTable()) {
    int count = 0;
    double worst = 0.0;
    std::vector<double> worstAt;
    for (const std::vector<double>& p : c.points) {
      const Real direct = c.inverse ? 0.0L : c.expected(p, 0.0);
      if (std::isnan(static_cast<double>(direct))) continue;
      const double got = c.got(p);
      const Real expected = c.inverse ? c.expected(p, got) : direct;
      if (std::isnan(static_cast<double>(expected))) continue;
      ++count;
      const double error = static_cast<double>(std::fabs((got - expected) / expected));
      if (!(error <= worst)) {  // a NaN result counts as the worst
        worst = std::isnan(error) ? INFINITY : error;
        worstAt = p;
      }
    }
    EXPECT_GE(count, 300) << c.name;
    EXPECT_LE(worst, c.bound) << c.name << " worst at " << ::testing::PrintToString(worstAt);
  }
  // Around the zeros of log-gamma at 1 and 2 the error is small absolutely.
  for (double x : {0.97, 0.99, 0.999, 1.001, 1.01, 1.03, 1.98, 1.999, 2.001, 2.02})
    EXPECT_NEAR(lgam(x), static_cast<double>(ref::logGamma(x)), 1e-15) << x;
}

TEST(SpecialFunctions, ExactValuesAndBranchPoints) {
  const struct {
    double got, expected, tolerance;  // relative; 0 asks for equality
  } cases[] = {{polevl(2.0, std::vector<double>{1, 2, 3}.data(), 2), 11.0, 0},
               {p1evl(2.0, std::vector<double>{2, 3}.data(), 2), 11.0, 0},
               {::polevl(5.0, std::vector<double>{1}.data(), 0), 1.0, 0},  // degenerate orders
               {polevl(5.0, nullptr, -1), 0.0, 0},
               {p1evl(5.0, nullptr, 0), 1.0, 0},
               {::p1evl(5.0, std::vector<double>{2}.data(), 1), 7.0, 0},
               {ndtri(0.5), 0.0, 0},
               {ndtri(expm2), -1.1015196284987502, 1e-15},  // the branch point
               {gamma(2.0), 1.0, 0},
               {gamma(5.0), 24.0, 0},
               {gamma(-2.5), -0.9453087204829419, 1e-15},
               {lgam(1.0), 0.0, 0},
               {gamma(0.5), std::sqrt(PI), 1e-15},
               {gamma(1e-10), 9999999999.422784, 1e-15},        // near-zero form
               {gamma(40.0), 2.0397882081197443e46, 1e-14},     // Stirling
               {gamma(160.5), 3.7244054830528196e283, 1e-13},   // split power
               {gamma(-40.5), -6.0316608221785075e-49, 1e-13},  // reflection
               {gamma(MAXNUM), MAXNUM, 0},
               {gamma(-MAXNUM), -MAXNUM, 0},
               {lgam(2.0), 0.0, 0},
               {igam(0.0, 3.0), 0.0, 0},
               {igamc(-1.0, 3.0), 1.0, 0},
               {igamc(0.5, -1.0), 1.0, 0},
               {igam(7.0, 0.0), 0.0, 0},
               {incbet(2.0, 3.0, 1.0), 1.0, 0},
               {incbet(2.0, 3.0, 0.0), 0.0, 0},
               {incbi(2.0, 3.0, -1.0), 0.0, 0},
               {incbi(2.0, 3.0, 2.0), 1.0, 0},
               {stdtr(1, 1.0), 0.75, 0},
               {stdtr(5, 0.0), 0.5, 0},
               {fdtr(2, 10, 0.0), 0.0, 0},
               {std::pow(1.0 + 0.2 * fdtri(2, 10, 1.0), -5.0), 1.0, 1e-13}};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    if (c.tolerance == 0)
      EXPECT_EQ(c.got, c.expected) << "case " << i;
    else
      EXPECT_LE(std::fabs(c.got - c.expected), c.tolerance * std::fabs(c.expected)) << "case " << i;
  }
  // The sign of the last gamma value.
  const struct {
    double x;
    int sign;
  } signs[] = {{-2.5, -1}, {-3.5, 1}, {-40.5, -1}, {5.0, 1}};
  for (const auto& s : signs) {
    lgam(s.x);
    EXPECT_EQ(gammaSign(), s.sign) << s.x;
  }
  gamma(-40.5);
  EXPECT_EQ(gammaSign(), -1);
}

struct Seen {
  std::string text;    // the failure's text, "" when none
  std::string output;  // what went to standard output meanwhile
};

Seen runCapturing(const std::function<void()>& call) {
  Seen seen;
  ::testing::internal::CaptureStdout();
  try {
    call();
  } catch (const Failure& failure) {
    seen.text = failure.text();
  }
  seen.output = ::testing::internal::GetCapturedStdout();
  return seen;
}

TEST(SpecialFunctions, DomainErrorsTraceTheirNameAndKeepTheirCode) {
  const struct {
    std::function<void()> call;
    const char* name;
    int code;
  } cases[] = {
      {[] { ndtri(0.0); }, "ndtri", kMathDomain},
      {[] { gamma(0.0); }, "gamma", kMathDomain},
      {[] { lgam(0.0); }, "lgam", kMathSingularity},
      {[] { lgam(3e305); }, "lgam", kMathSingularity},
      {[] { igam(1000.0, 1e-3); }, "igam", kMathUnderflow},
      {[] { igamc(1.0, 800.0); }, "igamc", kMathUnderflow},
      {[] { igam(1.0, 800.0); }, "igamc", kMathUnderflow},  // through the complement
      {[] { igami(2.0, 0.0); }, "ndtri", kMathDomain},
      {[] { igami(-1.5, 0.5); }, "igami", kMathDomain},
      {[] { chi2dtri(0.5, 0.5); }, "chdtri", kMathDomain},
      {[] { chi2dtri(2.0, 0.0); }, "ndtri", kMathDomain},          // passes the check, fails inside
      {[] { incbi(0.05, 0.1, 1e-60); }, "incbi", kMathUnderflow},  // a root below any double
      {[] { incbi(0.87571803237149026, 9.5808674899697461, 7.0343396943170833e-280); }, "incbi",
       kMathPartialLoss},  // a halving that does not settle
      {[] { fdtr(0, 1, 1.0); }, "fdtr", kMathDomain},
      {[] { fdtri(0, 1, 0.5); }, "fdtri", kMathDomain}};
  for (const auto& c : cases) {
    const Seen seen = runCapturing(c.call);
    EXPECT_EQ(seen.text, "error in mtherr") << c.name;
    EXPECT_EQ(seen.output, std::string("\n") + c.name);
    EXPECT_EQ(lastMathError(), c.code) << c.name;
  }
  const struct {
    std::function<void()> call;
    const char* text;
  } plain[] = {{[] { incbet(0.0, 1.0, 0.5); }, "Bad parameter calling incbet"},
               {[] { stdtr(0, 1.0); }, "DF must be greater than 0"}};
  for (const auto& c : plain) {
    const Seen seen = runCapturing(c.call);
    EXPECT_EQ(seen.text, c.text);
    EXPECT_EQ(seen.output, "");
  }
  const char* texts[] = {"unknown",
                         "domain",
                         "singularity",
                         "overflow",
                         "underflow",
                         "total loss of precision",
                         "partial loss of precision",
                         "unknown"};
  for (int code = 0; code <= 7; ++code)
    EXPECT_STREQ(mathErrorText(code), texts[code]);
}

// The exports end every failure in a quiet NaN, after the trace line.
TEST(SpecialFunctionExports, FailuresBecomeQuietNaN) {
  const struct {
    double (*call)();
    const char* trace;
  } cases[] = {{[] { return ::ndtri(0.0); }, "\nndtri"},
               {[] { return ::lgam(-2.0); }, "\nlgam"},
               {[] { return ::igam(1000.0, 1e-3); }, "\nigam"},
               {[] { return ::igamc(1.0, 800.0); }, "\nigamc"},
               {[] { return ::igami(2.0, 1.0); }, "\nndtri"},
               {[] { return ::chi2dtri(0.5, 0.5); }, "\nchdtri"},
               {[] { return ::FDistribution(0, 3, 1.0); }, "\nfdtr"},
               {[] { return ::stdtrA(0, 1.0); }, ""}};
  for (const auto& c : cases) {
    ::testing::internal::CaptureStdout();
    const double result = c.call();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.trace);
    EXPECT_TRUE(std::isnan(result)) << c.trace;
    EXPECT_EQ(::isFinite(result), 0);
  }
  EXPECT_EQ(::ndtri(0.5), 0.0);
  EXPECT_LT(std::fabs(::lgam(0.5) / (0.5 * std::log(PI)) - 1.0), 1e-15);
  EXPECT_EQ(::igam(1.0, 1.0), igam(1.0, 1.0));
  EXPECT_EQ(::igamc(1.0, 1.0), igamc(1.0, 1.0));
  EXPECT_EQ(::igami(3.0, 0.25), igami(3.0, 0.25));
  EXPECT_EQ(::chi2dtri(1.0, 0.95), chi2dtri(1.0, 0.95));
  EXPECT_NEAR(::FDistribution(1, 1, 1.0), 0.5, 1e-15);
  EXPECT_EQ(::FDistribution(2, 10, 0.0), 1.0);
  EXPECT_EQ(::stdtrA(1, 1.0), 0.75);
  EXPECT_EQ(::stdtrA(40, -2.5), stdtr(40, -2.5));
}

// The gamma sign and the last error code belong to the calling thread.
TEST(SpecialFunctions, StateIsPerThread) {
  lgam(-2.5);
  runCapturing([] { ndtri(0.0); });
  int otherSign = 0, otherErrorBefore = -1, otherErrorAfter = -1;
  std::thread other([&] {
    otherErrorBefore = lastMathError();
    lgam(3.5);
    otherSign = gammaSign();
    runCapturing([] { lgam(0.0); });
    otherErrorAfter = lastMathError();
  });
  other.join();
  EXPECT_EQ(otherErrorBefore, 0);
  EXPECT_EQ(otherSign, 1);
  EXPECT_EQ(otherErrorAfter, kMathSingularity);
  EXPECT_EQ(gammaSign(), -1);
  EXPECT_EQ(lastMathError(), kMathDomain);
}

}  // namespace
}  // namespace tessary
