// The GLS step against dense computations written here, its fall-over, its figures for
// any thread count and the export's frame.
#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "platform/parallel_threads.h"
#include "regression/dense_gls_reference.h"
#include "regression/gls.h"
#include "regression/least_squares_reference.h"
#include "regression/survey_fixture.h"

namespace tessary {
namespace {

using testing::Dense;
using testing::denseGls;
using testing::TraceCapture;

// Households in clusters of 1..maxSize, an intercept and k - 1 normal regressors.
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
        x.push_back(row[static_cast<std::size_t>(j)]);
  }
  Dense dense() const {
    Dense out;
    for (const auto& row : rows)
      out.emplace_back(row.begin(), row.end());
    return out;
  }
  GlsProblem view(std::vector<double>& weights, double sigma, bool noLocation) const {
    return {.x = x.data(),
            .ld = static_cast<std::size_t>(n),
            .n = n,
            .k = k,
            .weights = weights,
            .y = y,
            .varEps = varEps,
            .clusterSizes = sizes,
            .sigEta2 = sigma,
            .noLocation = noLocation};
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
      EXPECT_LE(std::fabs(got(static_cast<int>(i), static_cast<int>(j)) - want[i][j]),
                1e-10 * scale)
          << what << " (" << i << ", " << j << ")";
}

// Checks an estimate against the dense computation with the same (rescaled) weights.
void expectDense(const GlsEstimate& got, const testing::DenseGls& want, const Problem& p) {
  expectNear(
      want.beta, [&](int i, int) { return got.beta[i]; }, "beta");
  expectNear(want.inverse, got.inverse, "inverse");
  expectNear(want.covariance, got.covariance, "covariance");
  expectNear(want.covariance, got.covarianceRoot * got.covarianceRoot, "root squared");
  const long double mse = (want.yby - want.xbyBeta) * got.weightAdjuster / (p.n - p.k);
  Dense se(static_cast<std::size_t>(p.k), std::vector<long double>(1));
  for (int i = 0; i < p.k; ++i)
    se[i][0] = std::sqrt(want.inverse[i][i]) * mse / got.weightAdjuster;
  expectNear(
      se, [&](int i, int) { return got.stdErr[i]; }, "stdErr");
}

TEST(Gls, ClosedFormEqualsTheDenseComputationForBothMiddleTerms) {
  const Problem p(40, 25, 4, 11);
  TraceCapture quiet;
  for (GlsMiddleTerm middle : {GlsMiddleTerm::kPublished, GlsMiddleTerm::kSandwich})
    for (double sigma : {0.3, 4.0, 0.0}) {
      SCOPED_TRACE(::testing::Message()
                   << "sandwich " << (middle == GlsMiddleTerm::kSandwich) << " sigma " << sigma);
      std::vector<double> weights = p.w;
      const GlsEstimate got = glsAdjustment(p.view(weights, sigma, false), middle);
      EXPECT_TRUE(got.withLocation);
      EXPECT_NEAR(std::accumulate(weights.begin(), weights.end(), 0.0), p.n, 1e-9);
      EXPECT_NEAR(got.weightAdjuster, p.n / std::accumulate(p.w.begin(), p.w.end(), 0.0L), 1e-14);
      expectDense(got,
                  denseGls(p.dense(), p.y, weights, p.varEps, p.sizes, sigma,
                           middle == GlsMiddleTerm::kSandwich),
                  p);
      // Without the location component: one-household clusters with no cluster effect.
      weights = p.w;
      const GlsEstimate single = glsAdjustment(p.view(weights, sigma, true), middle);
      EXPECT_FALSE(single.withLocation);
      expectDense(single,
                  denseGls(p.dense(), p.y, weights, p.varEps, std::vector<int>(p.n, 1), 0.0,
                           middle == GlsMiddleTerm::kSandwich),
                  p);
    }
}

TEST(Gls, UnitWeightsWithoutClusterEffectGiveWeightedLeastSquares) {
  const Problem p(30, 12, 3, 4);
  std::vector<double> inverse;
  for (double d : p.varEps)
    inverse.push_back(1.0 / d);
  const auto wls = testing::leastSquares(p.rows, p.y, inverse);
  TraceCapture quiet;
  for (bool noLocation : {false, true}) {
    std::vector<double> units(p.w.size(), 1.0);
    const GlsEstimate got =
        glsAdjustment(p.view(units, 0.0, noLocation), GlsMiddleTerm::kPublished);
    for (int i = 0; i < p.k; ++i)
      EXPECT_NEAR(got.beta[i], wls.beta[i], 1e-10 * std::fabs(wls.beta[i])) << noLocation;
  }
}

TEST(Gls, ClustersTheDenseComputationCannotHandleFallOverToNoLocation) {
  struct Case {
    const char* what;
    int households;
    std::vector<int> sizes;
    double sigma;
    std::string clusterLines;
  };
  const std::string fallOver = "GLS adjustment can't be performed. Fail over to no location effect";
  const Case cases[] = {
      {"5,001 households", 5010, {3, 5001, 2}, 0.2, "0 3\n1 5001\n"},
      // sigma = -varEps of the one-household cluster: a zero pivot.
      {"singular", 10, {2, 1, 4}, -0.75, "0 2\n1 1\n"},
      {"past the households", 10, {2, 9}, 0.2, "0 2\n1 9\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Problem p(c.households, 1, 2, 8);
    p.sizes = c.sizes;
    p.varEps[2] = 0.75;
    std::vector<double> weights = p.w, again = p.w;
    testing::MessageRecorder boxes;
    TraceCapture traced;
    const GlsEstimate got =
        glsAdjustment(p.view(weights, c.sigma, false), GlsMiddleTerm::kPublished);
    EXPECT_FALSE(got.withLocation);
    ASSERT_EQ(boxes.messages().size(), 1u);
    EXPECT_EQ(boxes.messages()[0].text, "Unexpected error\n" + fallOver + ".");
    EXPECT_EQ(boxes.messages()[0].caption, "msgbox");
    EXPECT_NE(traced.text.str().find("with location error\n" + c.clusterLines + fallOver + "\n"),
              std::string::npos);
    EXPECT_NE(traced.text.str().find("bCov from Beta regression"), std::string::npos);
    const GlsEstimate plain =
        glsAdjustment(p.view(again, c.sigma, true), GlsMiddleTerm::kPublished);
    for (int i = 0; i < p.k; ++i)
      EXPECT_EQ(got.beta[i], plain.beta[i]);
  }
}

TEST(ParallelGls, FiguresAreTheSameForAnyThreadCount) {
  const Problem p(1500, 6, 3, 5);
  TraceCapture quiet;
  std::vector<GlsEstimate> runs;
  for (int threads : {1, 2, 3})
    for (bool noLocation : {false, true}) {
      setThreadCount(threads);
      std::vector<double> weights = p.w;
      runs.push_back(glsAdjustment(p.view(weights, 0.4, noLocation), GlsMiddleTerm::kSandwich));
    }
  useEnvironmentThreadCount();
  for (std::size_t r = 2; r < runs.size(); ++r)
    for (int i = 0; i < p.k; ++i) {
      EXPECT_EQ(runs[r].beta[i], runs[r % 2].beta[i]) << r;
      for (int j = 0; j < p.k; ++j)
        EXPECT_EQ(runs[r].covariance(i, j), runs[r % 2].covariance(i, j)) << r;
    }
}

TEST(GlsExport, RescalesTheWeightsTracesAndReturnsTheDenseFigures) {
  testing::ModelSurvey s;
  s.mark({"X1", "X2"});
  std::vector<std::uint8_t> mask(25, 0);
  std::vector<double> weights = s.w, varEps, beta(3), se(3), root(9);
  for (std::size_t i = 0; i < 200; ++i)
    varEps.push_back(0.3 + 0.01 * static_cast<double>(i % 50));
  const std::vector<std::int32_t> sizes{60, 80, 60};
  const std::string daa = s.survey.daa();
  auto run = [&](int16_t k, int16_t traceMode, unsigned char noLocation) {
    return GLSadjustment(daa.c_str(), s.model.c_str(), mask.data(), weights.data(), 200, k,
                         traceMode, 3, 0.2, s.y.data(), varEps.data(), sizes.data(), noLocation,
                         beta.data(), se.data(), root.data());
  };
  ASSERT_EQ(run(3, 2, 0), 0);
  EXPECT_NEAR(std::accumulate(weights.begin(), weights.end(), 0.0), 200.0, 1e-9);
  Dense rows;
  for (std::size_t i = 0; i < 200; ++i)
    rows.push_back({1.0L, s.x1[i], s.x2[i]});
  const auto want = denseGls(rows, s.y, weights, varEps, {60, 80, 60}, 0.2, false);
  expectNear(
      want.beta, [&](int i, int) { return beta[static_cast<std::size_t>(i)]; }, "beta");
  const std::string traced = s.survey.traced.str();
  for (const char* line :
       {"====================== GLSadjustment ====================\n200 3 3  LocationalError=0\n",
        "GLS: SigEta2=0.2\nWghtAdjuster=", "with location error\n0 60\n1 80\n2 60\n",
        "GLS Adjusted Beta Coefficient(3x1)", "Final bCov after sigular-decomposition(3x3)"})
    EXPECT_NE(traced.find(line), std::string::npos) << line;

  ASSERT_EQ(run(3, 1, 1), 0);
  EXPECT_NE(s.survey.traced.str().find("no location error\n", traced.size()), std::string::npos);
  EXPECT_NE(s.survey.traced.str().find("bReg from Beta regression", traced.size()),
            std::string::npos);

  testing::MessageRecorder boxes;
  EXPECT_EQ(run(4, 2, 0), -1);
  ASSERT_EQ(boxes.messages().size(), 1u);
  EXPECT_EQ(boxes.messages()[0].caption, "Tessary.dll::GLSadjustment");
  EXPECT_EQ(boxes.messages()[0].text, "The model has 3 regressors, not 4.");
}

}  // namespace
}  // namespace tessary
