#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "frame/missing.h"
#include "simulation/counter_draws.h"
#include "simulation/replication_kernel.h"
#include "simulation/replication_parameters.h"
#include "simulation/replication_summary.h"

namespace tessary {
namespace {

TEST(CounterDraws, NormalsAndUniformsHaveTheirMoments) {
  const CounterDraws draws(7);
  const std::size_t n = 200000;
  std::vector<double> z(n), u(n);
  draws.normals(DrawStream::kParameters, 0, 0, n, z.data());
  draws.uniforms(DrawStream::kParameters, 0, 0, n, u.data());
  double mean = 0, square = 0, fourth = 0, tail = 0, uniformMean = 0;
  for (std::size_t i = 0; i < n; ++i) {
    mean += z[i] / n;
    square += z[i] * z[i] / n;
    fourth += z[i] * z[i] * z[i] * z[i] / n;
    tail += std::fabs(z[i]) > 1.959964 ? 1.0 / n : 0.0;
    ASSERT_TRUE(u[i] > 0 && u[i] < 1);
    uniformMean += u[i] / n;
  }
  // Bounds of about four standard errors.
  EXPECT_NEAR(mean, 0, 0.01);
  EXPECT_NEAR(square, 1, 0.013);
  EXPECT_NEAR(fourth, 3, 0.06);
  EXPECT_NEAR(tail, 0.05, 0.002);
  EXPECT_NEAR(uniformMean, 0.5, 0.003);
  // The normals of a pair come from its uniforms by Box-Muller.
  const double radius = std::sqrt(-2 * std::log(u[0]));
  EXPECT_NEAR(z[0], radius * std::cos(2 * M_PI * u[1]), 1e-13);
  EXPECT_NEAR(z[1], radius * std::sin(2 * M_PI * u[1]), 1e-13);
}

TEST(ReplicationParameters, DrawnAroundTheEstimatesThroughTheRoot) {
  SimulationModel model;
  model.beta = {1.0, -2.0};
  model.betaRoot = {0.5, 0.25, 0.0, 2.0};  // column-major [[0.5, 0], [0.25, 2]]
  model.alpha = {3.0};
  model.alphaRoot = {0.1};
  model.sigEta2 = 0.01;
  model.sigEta2Var = 4.0;
  const CounterDraws draws(9);
  const ReplicationParameters p = drawReplicationParameters(model, draws, 3);
  bool truncated = false;
  for (int r = 0; r < 3; ++r) {
    double u[4];
    draws.normals(DrawStream::kParameters, r, 0, 4, u);
    EXPECT_NEAR(p.betas[2 * r], 1.0 + 0.5 * u[0], 1e-15);
    EXPECT_NEAR(p.betas[2 * r + 1], -2.0 + 0.25 * u[0] + 2.0 * u[1], 1e-15);
    EXPECT_NEAR(p.alphas[r], 3.0 + 0.1 * u[2], 1e-15);
    EXPECT_EQ(p.sigEta2[r], std::max(0.0, 0.01 + 2.0 * u[3]));
    truncated = truncated || p.sigEta2[r] == 0.0;
  }
  EXPECT_TRUE(truncated) << "no replication shows the truncation at 0";
}

// One replication of five households in two areas, its draws fixed, against the
// formulas written out: sigma^2 = A E/(1+E) + alphaMSE/2 A E (1-E)/(1+E)^3, E = e^z.
TEST(ReplicationKernel, OneReplicationWithFixedDrawsEqualsTheHandComputation) {
  const double xb[] = {6.9, 7.3, 6.2, 7.8, 6.6};
  const double z[] = {-3.0, 0.0, -1.5, 2.5, -40.0};
  const double eta[] = {0.1, 0.1, -0.2, -0.2, -0.2};
  const double eps[] = {0.5, -1.2, 0.3, 2.0, -0.7};
  const double weight[] = {4, 2, 1, 3, 5};
  const AreaRun runs[] = {{0, 2, 1}, {2, 4, 0}, {4, 5, 1}};  // area 1 is split in two runs
  const double A = 0.8, alphaMSE = 0.6, line = 1000;
  ReplicationRows rows{5, xb, z, eta, eps, A, alphaMSE, 0.0};
  double lnWelfare[5];
  logWelfare(rows, lnWelfare);
  double sums[2 * kMeasureSums] = {};
  addAreaSums(lnWelfare, 5, weight, runs, line, sums, kMeasureSums);

  const int areaOf[] = {1, 1, 0, 0, 1};
  double expected[2 * kMeasureSums] = {};
  for (int i = 0; i < 5; ++i) {
    const double E = std::exp(z[i]);
    const double variance = A * E / (1 + E) + 0.5 * alphaMSE * A * E * (1 - E) / std::pow(1 + E, 3);
    const double y = std::exp(xb[i] + eta[i] + std::sqrt(variance) * eps[i]);
    EXPECT_NEAR(lnWelfare[i], y, 1e-12 * y) << i;
    double* s = expected + areaOf[i] * kMeasureSums;
    s[0] += weight[i] * y;
    if (y < line) {
      s[1] += weight[i];
      s[2] += weight[i] * (line - y) / line;
      s[3] += weight[i] * std::pow((line - y) / line, 2);
    }
  }
  ASSERT_GT(expected[1], 0) << "no household is poor: the test checks too little";
  ASSERT_LT(expected[1], 7) << "every household is poor: the test checks too little";
  for (int j = 0; j < 2 * kMeasureSums; ++j)
    EXPECT_NEAR(sums[j], expected[j], 1e-12 * std::fabs(expected[j]) + 1e-15) << j;

  // One variance for every household when there is no alpha model.
  rows.z = nullptr;
  rows.variance = 0.09;
  logWelfare(rows, lnWelfare);
  EXPECT_NEAR(lnWelfare[3], 7.8 - 0.2 + 0.3 * 2.0, 1e-14);
}

TEST(ReplicationSummary, MeansAndStandardDeviationsOverReplications) {
  // Three replications of weight 2: mean welfare 10, 14, 12; FGT0 0.5, 0, 0.25.
  const double sums[] = {20, 1, 0.2, 0.02, 28, 0, 0, 0, 24, 0.5, 0.1, 0.01};
  const auto f = summarizeReplications(sums, 3, 2.0);
  EXPECT_DOUBLE_EQ(f[0].estimate, 12);
  EXPECT_DOUBLE_EQ(f[0].standardError, 2);
  EXPECT_DOUBLE_EQ(f[1].estimate, 0.25);
  EXPECT_DOUBLE_EQ(f[1].standardError, 0.25);
  EXPECT_DOUBLE_EQ(f[3].estimate, 0.005);
  EXPECT_EQ(summarizeReplications(sums, 1, 2.0)[0].standardError, MISSING);
  EXPECT_EQ(summarizeReplications(sums, 3, 0.0)[2].estimate, MISSING);
}

}  // namespace
}  // namespace tessary
