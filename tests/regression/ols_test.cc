// The data stage and the fit against independent long-double computations.
#include <gtest/gtest.h>

#include <cmath>

#include "data/record_bitmap.h"
#include "regression/least_squares_reference.h"
#include "regression/model_survey.h"

namespace tessary {
namespace {

using testing::ModelSurvey;

// The candidates in model-file order (_intercept_, D_1, D_2, D_3, X1, X2, Z) and Y.
std::vector<double> candidateRow(const ModelSurvey& s, std::size_t i) {
  auto is = [&](double code) { return s.d[i] == code ? 1.0 : 0.0; };
  return {1, is(1), is(2), is(3), s.x1[i], s.x2[i], s.z[i], s.y[i]};
}

void expectClose(long double expected, double actual, const char* what) {
  EXPECT_LE(std::fabs(actual - expected), 1e-10 * std::fabs(expected) + 1e-300) << what;
}

TEST(Sscp, PackedUpperTriangleOfTheIncludedWeightedCrossProducts) {
  ModelSurvey s;
  s.mark({"X1"}, "X2>0.2");
  std::vector<std::uint8_t> mask(25, 0);
  mask[0] = 0x05;  // records 1 and 3
  std::vector<double> weights;
  std::vector<bool> included(200);
  for (std::size_t i = 0; i < 200; ++i) {
    included[i] = i != 0 && i != 2 && s.x2[i] > 0.2;
    if (included[i]) weights.push_back(s.w[i]);
  }
  std::vector<double> packed(36, -1.0);
  ASSERT_EQ(
      makeSSCP(s.survey.daa().c_str(), s.model.c_str(), mask.data(), weights.data(), packed.data()),
      static_cast<int>(weights.size()));
  for (std::uint64_t record = 1; record <= 200; ++record)
    EXPECT_EQ(isHole(mask.data(), record), !included[record - 1]) << record;
  const std::string kept = std::to_string(weights.size());
  EXPECT_NE(s.survey.traced.str().find(
                "before setting condition  gmask has 2 holes in 200 obse\nafter setting "
                "condition  gmask has " +
                std::to_string(200 - weights.size()) +
                " holes in 200 obse\ninit: nObs= 200 reset to " + kept + "\n"),
            std::string::npos);
  const auto written = s.read();
  EXPECT_EQ(written->nObs, static_cast<int>(weights.size()));
  long double total = 0;
  for (double v : weights)
    total += v;
  expectClose(total, written->totalWeight, "totalWeight");

  EXPECT_EQ(std::vector<std::int64_t>(written->rowOffset.begin(), written->rowOffset.end()),
            (std::vector<std::int64_t>{0, 7, 13, 18, 22, 25, 27, 28}));
  // Non-negative weights and, after one is made negative, the general product.
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) {
      weights[3] = -weights[3];
      makeSSCP(s.survey.daa().c_str(), s.model.c_str(), mask.data(), weights.data(), packed.data());
    }
    for (int i = 0; i < 8; ++i) {
      for (int j = i; j < 8; ++j) {
        long double sum = 0;
        std::size_t t = 0;
        for (std::size_t r = 0; r < 200; ++r)
          if (included[r]) {
            const std::vector<double> row = candidateRow(s, r);
            sum += weights[t++] * static_cast<long double>(row[i]) * row[j];
          }
        expectClose(sum, packed[static_cast<std::size_t>(written->rowOffset[i] + j)], "S(i,j)");
      }
    }
  }
}

TEST(Ols, FitsAgreeWithLongDoubleNormalEquations) {
  const std::vector<int> model{0, 2, 3, 4, 5, 6};  // all but D_1
  for (bool weighted : {true, false}) {
    SCOPED_TRACE(weighted ? "weighted" : "unweighted");
    ModelSurvey s;
    s.mark({"D_2", "D_3", "X1", "X2", "Z"}, "", weighted ? "W" : "");
    std::vector<std::uint8_t> mask(25, 0);
    std::vector<double> scaled;
    for (double v : s.w)
      scaled.push_back(7.3 * v);  // the fit must not depend on the weights' sum
    double* weights = weighted ? scaled.data() : nullptr;
    std::vector<std::vector<double>> x;
    for (std::size_t i = 0; i < 200; ++i) {
      const std::vector<double> row = candidateRow(s, i);
      x.emplace_back();
      for (int c : model)
        x.back().push_back(row[c]);
    }
    const testing::LeastSquaresFit ref =
        testing::leastSquares(x, s.y, weighted ? s.w : std::vector<double>{});

    std::vector<double> packed(36);
    const std::string daa = s.survey.daa();
    ASSERT_EQ(makeSSCP(daa.c_str(), s.model.c_str(), mask.data(), weights, packed.data()), 200);
    ASSERT_EQ(OLSRegression(s.model.c_str(), packed.data(), ""), 6);
    for (int fit = 0; fit < 2; ++fit) {
      if (fit == 1) {  // the direct fit from the data writes the same figures
        std::vector<char> path(s.model.begin(), s.model.end() + 1);
        std::vector<char> data(daa.begin(), daa.end() + 1);
        ASSERT_EQ(simpleOLS(data.data(), path.data(), mask.data(), weights), 0);
      }
      const auto fitted = s.read();
      expectClose(ref.f, fitted->F, "F");
      expectClose(ref.r2, fitted->R2, "R2");
      expectClose(ref.adjR2, fitted->adjR2, "adjR2");
      expectClose(ref.mse, fitted->MSE, "MSE");
      expectClose(ref.sst - ref.sse, fitted->SSR, "SSR");
      for (std::size_t i = 0; i < model.size(); ++i) {
        const Regressor& record = fitted->regressors[static_cast<std::size_t>(model[i])];
        expectClose(ref.beta[i], record.coef, "coef");
        expectClose(ref.stdErr[i], record.stdErr, "stdErr");
        EXPECT_LE(std::fabs(record.prob - ref.prob[i]), 1e-10 * std::max(1e-3L, ref.prob[i]));
      }
    }

    std::vector<double> yOut(200), yhat(200), resid(200), xOut(200 * 7);
    ASSERT_EQ(getResidual(daa.c_str(), s.model.c_str(), mask.data(), weights, yOut.data(),
                          yhat.data(), resid.data()),
              0);
    ASSERT_EQ(getRegressors(daa.c_str(), s.model.c_str(), mask.data(), weights, xOut.data(), 0),
              200);
    for (std::size_t i = 0; i < 200; ++i) {
      long double fitted = 0;
      for (std::size_t c = 0; c < model.size(); ++c) {
        fitted += ref.beta[c] * x[i][c];
        EXPECT_EQ(xOut[c * 200 + i], x[i][c]);
      }
      EXPECT_EQ(xOut[6 * 200 + i], s.y[i]);
      EXPECT_EQ(yOut[i], s.y[i]);
      EXPECT_NEAR(resid[i], s.y[i] - fitted, 1e-10 * (1 + std::fabs(s.y[i])));
    }
  }
}

// A model file of the given regressors (all in the model) for hand-made SSCPs.
std::string handModel(const testing::ScratchDir& dir, int regressors, int nObs, double weight) {
  Regression model;
  model.nObs = nObs;
  model.totalWeight = weight;
  model.LHS = "Y";
  for (int i = 0; i < regressors; ++i)
    model.regressors.push_back({i == 0 ? "_intercept_" : "X", i == 0 ? "" : "X", 0, "", 1});
  model.saving(dir.file("hand.mdl"));
  return dir.file("hand.mdl");
}

TEST(Ols, InterceptOnlyAndTheSumOfSquaresRules) {
  testing::ScratchDir dir;
  struct Case {
    int regressors, nObs;
    std::vector<double> sscp;
    double sst, sse, r2;
  } cases[] = {
      {1, 4, {4, 8, 20}, 4, 4, 0},                               // intercept alone
      {2, 3, {3, 6, 12, 14, 28, 56 - 1e-9}, 8 - 1e-9, 1e-9, 1},  // |Syy - b'X'y|
      {1, 4, {4, 4, 3.999999}, -1e-6, -1e-6, 0},                 // SSE capped at SST
  };
  for (const Case& c : cases) {
    const std::string model = handModel(dir, c.regressors, c.nObs, c.sscp[0]);
    std::vector<double> sscp = c.sscp;
    ASSERT_EQ(OLSRegression(model.c_str(), sscp.data(), dir.file("r.txt").c_str()), c.regressors);
    Regression fitted;
    fitted.loading(model);
    EXPECT_NEAR(fitted.SST, c.sst, 1e-12);
    EXPECT_NEAR(fitted.SST - fitted.SSR, c.sse, 1e-12);
    EXPECT_NEAR(fitted.R2, c.r2, 1e-6);
    EXPECT_EQ(std::isnan(fitted.F), c.regressors == 1);
  }
  EXPECT_NE(testing::readFile(dir.file("r.txt")).find("|  F value        nan  Prob>F         nan"),
            std::string::npos);
  const std::string before = testing::readFile(dir.file("hand.mdl"));
  std::vector<double> empty{0, 1, 1};
  EXPECT_EQ(OLSRegression(dir.file("hand.mdl").c_str(), empty.data(), ""), -1);
  EXPECT_EQ(testing::readFile(dir.file("hand.mdl")), before);
  std::vector<double> singular{3, 3, 3, 3, 3, 9};
  const std::string model = handModel(dir, 2, 3, 3);
  EXPECT_EQ(OLSRegression(model.c_str(), singular.data(), ""), -1);
  Regression failed;
  failed.loading(model);
  EXPECT_EQ(failed.status, -1);
  EXPECT_EQ(failed.nModel, 0);
}

}  // namespace
}  // namespace tessary
