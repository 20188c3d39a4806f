// The GLS step against dense computations written here, its fall-over, its figures for
// any thread count and the export's frame.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <random>

#include "platform/parallel_threads.h"
#include "regression/dense_gls_reference.h"
#include "regression/gls.h"
#include "regression/survey_fixture.h"

namespace tessary {
namespace {

using testing::Dense;
using testing::denseGls;
using testing::TraceCapture;
constexpr auto kPublished = GlsMiddleTerm::kPublished;
constexpr auto kSandwich = GlsMiddleTerm::kSandwich;

// Households in clusters of 1..maxSize: an intercept and k - 1 normal regressors.
struct Problem {
  std::vector<int> sizes;
  std::vector<std::vector<double>> rows;
  std::vector<double> x, y, w, varEps;
  std::int32_t n = 0;
  int k;

  Problem(int clusters, int maxSize, int columns, unsigned seed) : k(columns) {
    std::mt19937_64 random(seed);
    std::normal_distribution<double> normal;
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    for (int c = 0; c < clusters; ++c) {
      sizes.push_back(1 + static_cast<int>(uniform(random) * maxSize));
      const double eta = 0.5 * normal(random);
      for (int h = 0; h < sizes.back(); ++h, ++n) {
        rows.push_back({1.0});
        for (int j = 1; j < k; ++j)
          rows.back().push_back(normal(random) + (j == 1 ? c % 3 : 0));
        varEps.push_back(0.2 + 1.3 * uniform(random));
        w.push_back(0.5 + 2.5 * uniform(random));
        y.push_back(1 + rows.back()[k - 1] - eta + std::sqrt(varEps.back()) * normal(random));
      }
    }
    for (int j = 0; j < k; ++j)
      for (const auto& row : rows)
        x.push_back(row[j]);
  }
  GlsEstimate solve(std::vector<double>& weights, double sigma, bool noLocation,
                    GlsMiddleTerm middle) const {
    const GlsProblem problem{x.data(), std::size_t(n), n,     k,     weights,
                             y,        varEps,         sizes, sigma, noLocation};
    return glsAdjustment(problem, middle);
  }
};

// Every element within 1e-10 of the largest reference element.
template <class Got>
void expectNear(const Dense& want, const Got& got, const char* what) {
  long double scale = 0;
  for (const auto& row : want)
    for (long double v : row)
      scale = std::max(scale, std::fabs(v));
  for (std::size_t i = 0; i < want.size(); ++i)
    for (std::size_t j = 0; j < want[0].size(); ++j)
      EXPECT_LE(std::fabs(got(int(i), int(j)) - want[i][j]), 1e-10 * scale) << what << i << j;
}

void expectDense(const GlsEstimate& got, const testing::DenseGls& want, const Problem& p) {
  const long double mse = (want.yby - want.xbyBeta) * got.weightAdjuster / (p.n - p.k);
  for (int i = 0; i < p.k; ++i)
    EXPECT_NEAR(got.stdErr[i], std::sqrt(want.inverse[i][i]) * mse / got.weightAdjuster,
                1e-10 * got.stdErr[i]);
  expectNear(
      want.beta, [&](int i, int) { return got.beta[i]; }, "beta");
  expectNear(want.inverse, got.inverse, "inverse");
  expectNear(want.covariance, got.covariance, "covariance");
  expectNear(want.covariance, got.covarianceRoot * got.covarianceRoot, "root squared");
}

TEST(Gls, ClosedFormEqualsTheDenseComputationForBothMiddleTerms) {
  const Problem p(40, 25, 4, 11);
  TraceCapture quiet;
  for (GlsMiddleTerm middle : {kPublished, kSandwich})
    for (double sigma : {0.3, 4.0, 0.0}) {
      SCOPED_TRACE(::testing::Message()
                   << "sandwich " << (middle == kSandwich) << " sigma " << sigma);
      std::vector<double> weights = p.w;
      const GlsEstimate got = p.solve(weights, sigma, false, middle);
      EXPECT_TRUE(got.withLocation);
      EXPECT_NEAR(std::accumulate(weights.begin(), weights.end(), 0.0), p.n, 1e-9);
      expectDense(got,
                  denseGls(p.rows, p.y, weights, p.varEps, p.sizes, sigma, middle == kSandwich), p);
      // Without the location component: clusters of one household, no cluster effect.
      weights = p.w;
      const GlsEstimate single = p.solve(weights, sigma, true, middle);
      expectDense(single,
                  denseGls(p.rows, p.y, weights, p.varEps, std::vector<int>(p.n, 1), 0.0,
                           middle == kSandwich),
                  p);
    }
}

TEST(Gls, ClustersTheDenseComputationCannotHandleFallOverToNoLocation) {
  const std::string fallOver = "GLS adjustment can't be performed. Fail over to no location effect";
  const struct {
    int households;
    std::vector<int> sizes;
    double sigma;
    std::string clusterLines;
  } cases[] = {
      {5010, {3, 5001, 2}, 0.2, "0 3\n1 5001\n"},
      {10, {2, 1, 4}, -0.75, "0 2\n1 1\n"},  // sigma = -varEps of one household: a zero pivot
      {10, {2, 9}, 0.2, "0 2\n1 9\n"},       // past the households
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.clusterLines);
    Problem p(c.households, 1, 2, 8);
    p.sizes = c.sizes;
    p.varEps[2] = 0.75;
    std::vector<double> weights = p.w, again = p.w;
    testing::MessageRecorder boxes;
    TraceCapture traced;
    const GlsEstimate got = p.solve(weights, c.sigma, false, kPublished);
    EXPECT_FALSE(got.withLocation);
    ASSERT_EQ(boxes.messages().size(), 1u);
    EXPECT_EQ(boxes.messages()[0].text, "Unexpected error\n" + fallOver + ".");
    EXPECT_EQ(boxes.messages()[0].caption, "msgbox");
    const std::string lines = traced.text.str();
    EXPECT_NE(lines.find("with location error\n" + c.clusterLines + fallOver + "\n"), lines.npos);
    EXPECT_NE(lines.find("bCov from Beta regression"), lines.npos);
    const GlsEstimate plain = p.solve(again, c.sigma, true, kPublished);
    for (int i = 0; i < p.k; ++i)
      EXPECT_EQ(got.beta[i], plain.beta[i]);
  }
}

TEST(ParallelGls, FiguresAreTheSameForAnyThreadCount) {
  const Problem p(1500, 6, 3, 5);
  TraceCapture quiet;
  std::vector<GlsEstimate> runs;
  for (int threads : {1, 2, 3}) {
    setThreadCount(threads);
    std::vector<double> weights = p.w;
    runs.push_back(p.solve(weights, 0.4, false, kSandwich));
    EXPECT_EQ(std::memcmp(runs.back().covariance.data(), runs[0].covariance.data(), 9 * 8), 0);
    EXPECT_EQ(std::memcmp(runs.back().beta.data(), runs[0].beta.data(), 3 * 8), 0);
  }
  useEnvironmentThreadCount();
}

TEST(GlsExport, RescalesTheWeightsInPlaceTracesAndReportsFailures) {
  testing::ModelSurvey s;
  s.mark({"X1", "X2"});
  std::vector<std::uint8_t> mask(25, 0);
  std::vector<double> weights = s.w, varEps(200, 0.4), beta(3), se(3), root(9);
  const std::vector<std::int32_t> sizes{60, 80, 60};
  auto run = [&](int16_t k) {
    return GLSadjustment(s.survey.daa().c_str(), s.model.c_str(), mask.data(), weights.data(), 200,
                         k, 2, 3, 0.2, s.y.data(), varEps.data(), sizes.data(), 0, beta.data(),
                         se.data(), root.data());
  };
  ASSERT_EQ(run(3), 0);
  EXPECT_NEAR(std::accumulate(weights.begin(), weights.end(), 0.0), 200.0, 1e-9);
  const std::string traced = s.survey.traced.text.str();
  for (const char* line : {"GLSadjustment ====================\n200 3 3  LocationalError=0\n",
                           "GLS: SigEta2=0.2\nWghtAdjuster=", "error\n0 60\n1 80\n2 60\n"})
    EXPECT_NE(traced.find(line), traced.npos) << line;
  testing::MessageRecorder boxes;
  EXPECT_EQ(run(4), -1);
  ASSERT_EQ(boxes.messages().size(), 1u);
  EXPECT_EQ(boxes.messages()[0].caption, "Tessary.dll::GLSadjustment");
  EXPECT_EQ(boxes.messages()[0].text, "The model has 3 regressors, not 4.");
}

}  // namespace
}  // namespace tessary
