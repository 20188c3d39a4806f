// Exact values, domain errors and their trace lines, and the quiet-NaN exports of the
// special functions.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>

#include "frame/failure.h"
#include "numeric/special_constants.h"
#include "numeric/special_functions.h"
#include "tessary.h"

namespace tessary {
namespace {

struct FailureSeen {
  bool thrown = false;
  std::string text;    // the failure's text
  std::string output;  // what went to standard output meanwhile
};

template <class Call>
FailureSeen runExpectingFailure(Call&& call) {
  FailureSeen seen;
  ::testing::internal::CaptureStdout();
  try {
    call();
  } catch (const Failure& failure) {
    seen.thrown = true;
    seen.text = failure.text();
  }
  seen.output = ::testing::internal::GetCapturedStdout();
  return seen;
}

// Expects `call` to end in mtherr(name, code).
template <class Call>
void expectMathError(Call&& call, const std::string& name, int code) {
  const FailureSeen seen = runExpectingFailure(call);
  EXPECT_TRUE(seen.thrown) << name;
  EXPECT_EQ(seen.text, "error in mtherr") << name;
  EXPECT_EQ(seen.output, "\n" + name);
  EXPECT_EQ(lastMathError(), code) << name;
}

// Expects `call` to throw `text` without writing anything.
template <class Call>
void expectPlainFailure(Call&& call, const std::string& text) {
  const FailureSeen seen = runExpectingFailure(call);
  EXPECT_TRUE(seen.thrown) << text;
  EXPECT_EQ(seen.text, text);
  EXPECT_EQ(seen.output, "");
}

double relativeError(double got, double expected) {
  return std::fabs(got - expected) / std::fabs(expected);
}

TEST(SpecialFunctions, Polynomials) {
  const double coef[] = {1.0, 2.0, 3.0};
  EXPECT_EQ(polevl(2.0, coef, 2), 11.0);
  const double monic[] = {2.0, 3.0};
  EXPECT_EQ(p1evl(2.0, monic, 2), 11.0);
  EXPECT_EQ(::polevl(2.0, coef, 2), 11.0);
  EXPECT_EQ(::p1evl(2.0, monic, 2), 11.0);
  // Degenerate orders read nothing they were not given.
  EXPECT_EQ(polevl(5.0, coef, 0), 1.0);
  EXPECT_EQ(polevl(5.0, nullptr, -1), 0.0);
  EXPECT_EQ(p1evl(5.0, nullptr, 0), 1.0);
  EXPECT_EQ(p1evl(5.0, monic, 1), 7.0);
}

TEST(SpecialFunctions, NormalInverseValuesAndDomain) {
  EXPECT_EQ(ndtri(0.5), 0.0);
  EXPECT_NEAR(ndtri(0.975), 1.959963984540054, 1e-15);
  EXPECT_NEAR(ndtri(0.025), -1.959963984540054, 1e-15);
  // Branch points: central region, near tail, far tail (exp(-32)).
  EXPECT_LT(relativeError(ndtri(expm2), -1.1015196284987502), 1e-15);
  EXPECT_LT(relativeError(ndtri(1e-10), -6.361340902404056), 1e-15);
  EXPECT_LT(relativeError(ndtri(1.0 - 1e-10), 6.361340889697422), 1e-15);
  EXPECT_LT(relativeError(ndtri(1e-20), -9.262340089798153), 1e-13);

  expectMathError([] { ndtri(0.0); }, "ndtri", kMathDomain);
  expectMathError([] { ndtri(1.0); }, "ndtri", kMathDomain);
  expectMathError([] { ndtri(-3.0); }, "ndtri", kMathDomain);
  expectMathError([] { ndtri(1.5); }, "ndtri", kMathDomain);
}

TEST(SpecialFunctions, GammaAndLogGamma) {
  EXPECT_EQ(gamma(2.0), 1.0);
  EXPECT_EQ(gamma(5.0), 24.0);
  EXPECT_LT(relativeError(gamma(0.5), std::sqrt(PI)), 1e-15);
  EXPECT_LT(relativeError(gamma(-2.5), -0.9453087204829419), 1e-15);
  EXPECT_LT(relativeError(gamma(1e-10), 9999999999.422784), 1e-15);        // near-zero form
  EXPECT_LT(relativeError(gamma(40.0), 2.0397882081197443e46), 1e-14);     // Stirling
  EXPECT_LT(relativeError(gamma(160.5), 3.7244054830528196e283), 1e-13);   // split power
  EXPECT_LT(relativeError(gamma(-40.5), -6.0316608221785075e-49), 1e-13);  // reflection
  EXPECT_EQ(gammaSign(), -1);
  EXPECT_EQ(gamma(MAXNUM), MAXNUM);
  EXPECT_EQ(gamma(-MAXNUM), -MAXNUM);
  expectMathError([] { gamma(0.0); }, "gamma", kMathDomain);
  expectMathError([] { gamma(-3.0); }, "gamma", kMathDomain);
  expectMathError([] { gamma(-50.0); }, "gamma", kMathDomain);

  EXPECT_LT(relativeError(lgam(-2.5), std::log(0.9453087204829419)), 1e-14);
  EXPECT_EQ(gammaSign(), -1);
  lgam(-3.5);
  EXPECT_EQ(gammaSign(), 1);
  lgam(-40.5);  // reflection branch
  EXPECT_EQ(gammaSign(), -1);
  lgam(5.0);
  EXPECT_EQ(gammaSign(), 1);
  EXPECT_EQ(lgam(1.0), 0.0);
  EXPECT_EQ(lgam(2.0), 0.0);
  EXPECT_LT(relativeError(lgam(1e9), 1e9 * std::log(1e9) - 1e9 - 0.5 * std::log(1e9) + LS2PI),
            1e-15);
  expectMathError([] { lgam(0.0); }, "lgam", kMathSingularity);
  expectMathError([] { lgam(-2.0); }, "lgam", kMathSingularity);
  expectMathError([] { lgam(-100.0); }, "lgam", kMathSingularity);
  expectMathError([] { lgam(3e305); }, "lgam", kMathSingularity);
}

TEST(SpecialFunctions, IncompleteGamma) {
  EXPECT_LT(relativeError(igam(1.0, 1.0), 1.0 - std::exp(-1.0)), 1e-15);
  EXPECT_LT(relativeError(igamc(1.0, 1.0), std::exp(-1.0)), 1e-15);
  for (double a : {0.5, 1.0, 7.0}) {
    EXPECT_EQ(igamc(a, 0.0), 1.0);
    EXPECT_EQ(igam(a, 0.0), 0.0);
    EXPECT_EQ(igamc(a, -1.0), 1.0);
    EXPECT_EQ(igam(a, -1.0), 0.0);
  }
  EXPECT_EQ(igam(0.0, 3.0), 0.0);
  EXPECT_EQ(igamc(-1.0, 3.0), 1.0);
  // Both branches of each: series below, continued fraction above.
  EXPECT_LT(relativeError(igamc(3.0, 10.0), 61.0 * std::exp(-10.0)), 1e-14);
  EXPECT_LT(relativeError(igam(3.0, 0.5), 1.0 - 1.625 * std::exp(-0.5)), 1e-14);

  expectMathError([] { igam(1000.0, 1e-3); }, "igam", kMathUnderflow);
  expectMathError([] { igamc(1.0, 800.0); }, "igamc", kMathUnderflow);
  // The complement routes report under their own name.
  expectMathError([] { igam(1.0, 800.0); }, "igamc", kMathUnderflow);

  const double x = igami(3.0, 0.25);
  EXPECT_LT(relativeError(igamc(3.0, x), 0.25), 1e-14);
  expectMathError([] { igami(2.0, 0.0); }, "ndtri", kMathDomain);
  expectMathError([] { igami(2.0, 1.0); }, "ndtri", kMathDomain);
  expectMathError([] { igami(-1.5, 0.5); }, "igami", kMathDomain);
  expectMathError([] { igami(std::nan(""), 0.5); }, "igami", kMathDomain);
}

TEST(SpecialFunctions, ChiSquareQuantile) {
  EXPECT_LT(relativeError(chi2dtri(1.0, 0.95), 3.841458820694124), 1e-14);
  EXPECT_LT(relativeError(chi2dtri(2.0, 0.5), 2.0 * std::log(2.0)), 1e-14);
  expectMathError([] { chi2dtri(0.5, 0.5); }, "chdtri", kMathDomain);
  expectMathError([] { chi2dtri(2.0, 1.5); }, "chdtri", kMathDomain);
  expectMathError([] { chi2dtri(2.0, -0.1); }, "chdtri", kMathDomain);
  expectMathError([] { chi2dtri(2.0, std::nan("")); }, "chdtri", kMathDomain);
  // The ends pass the check and fail inside the normal inverse.
  expectMathError([] { chi2dtri(2.0, 0.0); }, "ndtri", kMathDomain);
  expectMathError([] { chi2dtri(2.0, 1.0); }, "ndtri", kMathDomain);
}

TEST(SpecialFunctions, IncompleteBeta) {
  EXPECT_LT(relativeError(incbet(1.0, 1.0, 0.3), 0.3), 1e-15);
  EXPECT_EQ(incbet(2.0, 3.0, 1.0), 1.0);
  EXPECT_EQ(incbet(2.0, 3.0, 0.0), 0.0);
  // I_x(2, 3) = 6x^2 - 8x^3 + 3x^4 on every branch: series, both fractions, swapped.
  for (double x : {0.05, 0.3, 0.45, 0.7, 0.97}) {
    const double expected = x * x * (6.0 - 8.0 * x + 3.0 * x * x);
    EXPECT_LT(relativeError(incbet(2.0, 3.0, x), expected), 1e-14) << x;
  }
  expectPlainFailure([] { incbet(0.0, 1.0, 0.5); }, "Bad parameter calling incbet");
  expectPlainFailure([] { incbet(1.0, -2.0, 0.5); }, "Bad parameter calling incbet");
  expectPlainFailure([] { incbet(1.0, 1.0, 1.5); }, "Bad parameter calling incbet");
  expectPlainFailure([] { incbet(1.0, 1.0, -0.5); }, "Bad parameter calling incbet");

  EXPECT_EQ(incbi(2.0, 3.0, 0.0), 0.0);
  EXPECT_EQ(incbi(2.0, 3.0, -1.0), 0.0);
  EXPECT_EQ(incbi(2.0, 3.0, 1.0), 1.0);
  EXPECT_EQ(incbi(2.0, 3.0, 2.0), 1.0);
  for (double y : {1e-8, 0.1, 0.5, 0.9, 1.0 - 1e-8}) {
    for (double a : {0.5, 2.0, 30.0}) {
      const double x = incbi(a, 3.0, y);
      EXPECT_LT(relativeError(incbet(a, 3.0, x), y), 1e-12) << a << " " << y;
    }
  }
  // A root below the smallest double, and a halving that does not settle.
  expectMathError([] { incbi(0.05, 0.1, 1e-60); }, "incbi", kMathUnderflow);
  expectMathError([] { incbi(0.5, 0.5, 1e-200); }, "incbi", kMathUnderflow);
  expectMathError([] { incbi(0.87571803237149026, 9.5808674899697461, 7.0343396943170833e-280); },
                  "incbi", kMathPartialLoss);
}

TEST(SpecialFunctions, StudentAndF) {
  EXPECT_EQ(stdtr(1, 1.0), 0.75);
  EXPECT_EQ(stdtr(5, 0.0), 0.5);
  EXPECT_LT(relativeError(stdtr(1, -3.0), 0.5 - std::atan(3.0) / PI), 1e-14);
  // k = 2: 1/2 + t / (2 sqrt(2 + t^2)).
  EXPECT_LT(relativeError(stdtr(2, 1.5), 0.5 + 1.5 / (2.0 * std::sqrt(4.25))), 1e-15);
  EXPECT_LT(relativeError(stdtr(2, -1.5), 0.5 - 1.5 / (2.0 * std::sqrt(4.25))), 1e-14);
  EXPECT_LT(relativeError(stdtr(2, -5.0), 0.5 - 5.0 / (2.0 * std::sqrt(27.0))), 1e-14);
  expectPlainFailure([] { stdtr(0, 1.0); }, "DF must be greater than 0");
  expectPlainFailure([] { stdtr(-3, 1.0); }, "DF must be greater than 0");

  EXPECT_NEAR(1.0 - fdtr(1, 1, 1.0), 0.5, 1e-15);
  EXPECT_EQ(fdtr(2, 10, 0.0), 0.0);
  // F(2, b) has upper tail (1 + 2x/b)^(-b/2).
  EXPECT_LT(relativeError(1.0 - fdtr(2, 10, 1.7), std::pow(1.0 + 0.34, -5.0)), 1e-13);
  expectMathError([] { fdtr(0, 1, 1.0); }, "fdtr", kMathDomain);
  expectMathError([] { fdtr(1, 0, 1.0); }, "fdtr", kMathDomain);
  expectMathError([] { fdtr(1, 1, -1.0); }, "fdtr", kMathDomain);

  for (double y : {0.0005, 0.05, 0.5, 0.95, 1.0}) {
    const double x = fdtri(2, 10, y);
    EXPECT_NEAR(std::pow(1.0 + 0.2 * x, -5.0), y, 1e-13 * y) << y;
  }
  expectMathError([] { fdtri(0, 1, 0.5); }, "fdtri", kMathDomain);
  expectMathError([] { fdtri(1, 1, 0.0); }, "fdtri", kMathDomain);
  expectMathError([] { fdtri(1, 1, 1.5); }, "fdtri", kMathDomain);
}

TEST(SpecialFunctions, ErrorTextsAreTheCephesTable) {
  EXPECT_STREQ(mathErrorText(0), "unknown");
  EXPECT_STREQ(mathErrorText(kMathDomain), "domain");
  EXPECT_STREQ(mathErrorText(kMathSingularity), "singularity");
  EXPECT_STREQ(mathErrorText(kMathOverflow), "overflow");
  EXPECT_STREQ(mathErrorText(kMathUnderflow), "underflow");
  EXPECT_STREQ(mathErrorText(kMathTotalLoss), "total loss of precision");
  EXPECT_STREQ(mathErrorText(kMathPartialLoss), "partial loss of precision");
  EXPECT_STREQ(mathErrorText(7), "unknown");
}

// The exports end every failure in a quiet NaN, after the trace line.
TEST(SpecialFunctionExports, FailuresBecomeQuietNaN) {
  struct Case {
    double (*call)();
    const char* trace;
  };
  const Case cases[] = {
      {[] { return ::ndtri(0.0); }, "\nndtri"},
      {[] { return ::lgam(-2.0); }, "\nlgam"},
      {[] { return ::igam(1000.0, 1e-3); }, "\nigam"},
      {[] { return ::igamc(1.0, 800.0); }, "\nigamc"},
      {[] { return ::igami(2.0, 1.0); }, "\nndtri"},
      {[] { return ::chi2dtri(0.5, 0.5); }, "\nchdtri"},
      {[] { return ::FDistribution(0, 3, 1.0); }, "\nfdtr"},
      {[] { return ::FDistribution(2, 3, -1.0); }, "\nfdtr"},
      {[] { return ::stdtrA(0, 1.0); }, ""},
      {[] { return ::stdtrA(-5, 1.0); }, ""},
  };
  for (const Case& c : cases) {
    ::testing::internal::CaptureStdout();
    const double result = c.call();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.trace);
    EXPECT_TRUE(std::isnan(result)) << c.trace;
    EXPECT_EQ(::isFinite(result), 0);
  }

  EXPECT_EQ(::ndtri(0.5), 0.0);
  EXPECT_LT(relativeError(::lgam(0.5), 0.5 * std::log(PI)), 1e-15);
  EXPECT_EQ(::igam(1.0, 1.0), igam(1.0, 1.0));
  EXPECT_EQ(::igamc(1.0, 1.0), igamc(1.0, 1.0));
  EXPECT_EQ(::igami(3.0, 0.25), igami(3.0, 0.25));
  EXPECT_EQ(::chi2dtri(1.0, 0.95), chi2dtri(1.0, 0.95));
  EXPECT_NEAR(::FDistribution(1, 1, 1.0), 0.5, 1e-15);
  EXPECT_EQ(::FDistribution(2, 10, 0.0), 1.0);
  EXPECT_EQ(::stdtrA(1, 1.0), 0.75);
  EXPECT_EQ(::stdtrA(5, 0.0), 0.5);
  EXPECT_EQ(::stdtrA(40, -2.5), stdtr(40, -2.5));
}

// The gamma sign and the last error code belong to the calling thread.
TEST(SpecialFunctions, StateIsPerThread) {
  lgam(-2.5);
  EXPECT_EQ(gammaSign(), -1);
  ::testing::internal::CaptureStdout();
  try {
    ndtri(0.0);
  } catch (const Failure&) {
  }
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(lastMathError(), kMathDomain);

  int otherSign = 0;
  int otherErrorBefore = -1;
  int otherErrorAfter = -1;
  ::testing::internal::CaptureStdout();
  std::thread other([&] {
    otherErrorBefore = lastMathError();
    lgam(3.5);
    otherSign = gammaSign();
    try {
      lgam(0.0);
    } catch (const Failure&) {
    }
    otherErrorAfter = lastMathError();
  });
  other.join();
  ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(otherErrorBefore, 0);
  EXPECT_EQ(otherSign, 1);
  EXPECT_EQ(otherErrorAfter, kMathSingularity);
  EXPECT_EQ(gammaSign(), -1);
  EXPECT_EQ(lastMathError(), kMathDomain);
}

}  // namespace
}  // namespace tessary
