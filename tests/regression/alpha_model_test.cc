// The alpha model's dependent variable, household variances and White's covariance.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "regression/dense_gls_reference.h"
#include "regression/survey_fixture.h"

namespace tessary {
namespace {

using testing::operator*;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(AlphaModel, DependentVariableBoundedByTheLargestSquaredResidual) {
  const std::vector<double> e{-2.0, 1.0, 0.0, kInfinity};
  std::vector<double> lhs(4);
  double a = 0;
  testing::TraceCapture traced;
  getAlphaLHS(lhs.data(), e.data(), 4, &a);
  EXPECT_DOUBLE_EQ(a, 4.2);
  EXPECT_DOUBLE_EQ(lhs[0], std::log(20.0));
  EXPECT_DOUBLE_EQ(lhs[1], std::log(1.0 / 3.2));
  EXPECT_EQ(lhs[2], -kInfinity);
  EXPECT_EQ(traced.text.str().rfind("*** getAlphaLHS ***\n0  -2  2.99573\n1  1  -1.16315\n", 0),
            0u);
}

TEST(AlphaModel, HouseholdVariancesInBothModes) {
  const std::vector<double> z{0.0, 1.3, -2.0, 800.0};
  std::vector<double> out(4);
  testing::TraceCapture traced;
  ASSERT_EQ(getVarEpsilon(4, 2, z.data(), 0.9, 0.1, 0.3, 2.5, out.data()), 0);
  EXPECT_EQ(out[0], 1.25);  // A / 2 exactly
  for (int i : {1, 2}) {
    const double e = std::exp(z[i]);
    EXPECT_NEAR(out[i], 2.5 * e / (1 + e) + 0.15 * 2.5 * e * (1 - e) / std::pow(1 + e, 3), 1e-15);
  }
  EXPECT_EQ(out[3], 2.5);  // E overflows; the variance is A
  EXPECT_NE(traced.text.str().find("\n A=2.5 betaMSE =0.9 alphaMSE =0.3\nObs  Alkpha_RMSE_"),
            std::string::npos);
  ASSERT_EQ(getVarEpsilon(4, 1, z.data(), 0.1, 0.35, 0.3, 2.5, out.data()), 0);
  EXPECT_EQ(out, std::vector<double>(4, 0.1 - 0.35));
}

TEST(AlphaModel, WhiteCovarianceAndItsSquareRoot) {
  testing::ModelSurvey s;
  s.mark({"X1", "X2"});
  std::mt19937_64 random(3);
  std::normal_distribution<double> normal;
  std::vector<double> r;
  testing::Dense h = testing::denseZeros(3, 3), g = h;
  for (std::size_t i = 0; i < 200; ++i) {
    r.push_back(normal(random) * (1 + std::fabs(s.x1[i])));
    const long double x[] = {1, s.x1[i], s.x2[i]}, w = s.w[i];
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b) {
        h[a][b] += w * x[a] * x[b];
        g[a][b] += w * w * r[i] * r[i] * x[a] * x[b];
      }
  }
  const testing::Dense want = testing::denseInverse(h) * g * testing::denseInverse(h);
  std::vector<std::uint8_t> mask(25, 0);
  std::vector<double> root(9);
  ASSERT_EQ(getAlphaCov(s.survey.daa().c_str(), s.model.c_str(), mask.data(), s.w.data(), 200, 3,
                        r.data(), root.data()),
            0);
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 3; ++b) {
      long double square = 0;
      for (int c = 0; c < 3; ++c)
        square += root[a + 3 * c] * root[c + 3 * b];
      EXPECT_NEAR(root[a + 3 * b], root[b + 3 * a], 1e-15);
      EXPECT_NEAR(square, want[a][b], 1e-10 * std::fabs(want[0][0]));
    }
  EXPECT_NE(s.survey.traced.text.str().find("aCov after White adjust(3x3)"), std::string::npos);
}

}  // namespace
}  // namespace tessary
