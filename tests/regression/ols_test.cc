// The data stage, the fit against independent long-double computations and R, and the
// report's layout.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <tuple>

#include "data/combine.h"
#include "data/record_bitmap.h"
#include "import/import_file.h"
#include "regression/least_squares_reference.h"
#include "regression/model_sample.h"
#include "regression/report.h"
#include "regression/survey_fixture.h"

namespace tessary {
namespace {

using testing::ModelSurvey;

void expectClose(long double expected, double actual, const char* what) {
  EXPECT_LE(std::fabs(actual - expected), 1e-10 * std::fabs(expected) + 1e-300) << what;
}

TEST(Sscp, IncludedRecordsTheirTraceAndTheModelsSampleFigures) {
  ModelSurvey s;
  s.mark({"X1"}, "X2>0.2");
  std::vector<std::uint8_t> mask(25, 0);
  mask[0] = 0x05;  // records 1 and 3
  std::vector<double> weights;
  std::vector<bool> included(200);
  for (std::size_t i = 0; i < 200; ++i)
    if ((included[i] = i != 0 && i != 2 && s.x2[i] > 0.2)) weights.push_back(s.w[i]);
  const std::size_t kept = weights.size();
  // The products themselves are checked over many blocks in parallel_sscp_test.cc.
  std::vector<double> packed(36);
  ASSERT_EQ(
      makeSSCP(s.survey.daa().c_str(), s.model.c_str(), mask.data(), weights.data(), packed.data()),
      static_cast<int>(kept));
  for (std::uint64_t record = 1; record <= 200; ++record)
    EXPECT_EQ(isHole(mask.data(), record), !included[record - 1]) << record;
  EXPECT_NE(s.survey.traced.text.str().find(
                "gmask has 2 holes in 200 obse\nafter setting condition  gmask has " +
                std::to_string(200 - kept) + " holes in 200 obse\ninit: nObs= 200 reset to " +
                std::to_string(kept) + "\n"),
            std::string::npos);
  const auto written = s.read();
  EXPECT_EQ(written->nObs, static_cast<int>(kept));
  expectClose(std::accumulate(weights.begin(), weights.end(), 0.0L), written->totalWeight, "W");
  EXPECT_EQ(written->rowOffset, (std::vector<std::int64_t>{0, 7, 13, 18, 22, 25, 27, 28}));
}

TEST(Ols, FitsAgreeWithLongDoubleNormalEquations) {
  const std::vector<int> model{0, 2, 3, 4, 5, 6};  // all but D_1
  for (bool weighted : {true, false}) {
    SCOPED_TRACE(weighted ? "weighted" : "unweighted");
    ModelSurvey s;
    s.mark({"D_2", "D_3", "X1", "X2", "Z"}, "", weighted ? "W" : "");
    std::vector<std::uint8_t> mask(25, 0);
    std::vector<double> scaled(s.w);
    for (double& v : scaled)
      v *= 7.3;  // the fit must not depend on the weights' sum
    double* weights = weighted ? scaled.data() : nullptr;
    const auto x = s.rows(model, [](std::size_t) { return true; });
    const auto ref = testing::leastSquares(x, s.y, weighted ? s.w : std::vector<double>{});
    std::vector<double> packed(36), yOut(200), yhat(200), resid(200);
    std::string daa = s.survey.daa(), file = s.model;
    ASSERT_EQ(makeSSCP(daa.c_str(), file.c_str(), mask.data(), weights, packed.data()), 200);
    ASSERT_EQ(OLSRegression(file.c_str(), packed.data(), ""), 6);
    for (int fit = 0; fit < 2; ++fit) {
      // The direct fit from the data writes the same figures.
      if (fit == 1) {
        ASSERT_EQ(simpleOLS(daa.data(), file.data(), mask.data(), weights), 0);
      }
      const auto fitted = s.read();
      for (auto [want, got] : {std::pair{ref.f, fitted->F},
                               {ref.r2, fitted->R2},
                               {ref.adjR2, fitted->adjR2},
                               {ref.mse, fitted->MSE},
                               {ref.sst - ref.sse, fitted->SSR}})
        expectClose(want, got, "statistic");
      for (std::size_t i = 0; i < model.size(); ++i) {
        const Regressor& record = fitted->regressors[static_cast<std::size_t>(model[i])];
        expectClose(ref.beta[i], record.coef, "coef");
        expectClose(ref.stdErr[i], record.stdErr, "stdErr");
        EXPECT_LE(std::fabs(record.prob - ref.prob[i]), 1e-10 * std::max(1e-3L, ref.prob[i]));
      }
    }
    ASSERT_EQ(getResidual(daa.c_str(), file.c_str(), mask.data(), weights, yOut.data(), yhat.data(),
                          resid.data()),
              0);
    for (std::size_t i = 0; i < 200; ++i) {
      const long double fitted =
          std::inner_product(x[i].begin(), x[i].end(), ref.beta.begin(), 0.0L);
      EXPECT_EQ(yOut[i], s.y[i]);
      EXPECT_NEAR(resid[i], s.y[i] - fitted, 1e-10 * (1 + std::fabs(s.y[i])));
    }
  }
}

TEST(Ols, InterceptOnlyAndTheSumOfSquaresRules) {
  testing::ScratchDir dir;
  const std::string model = dir.file("hand.mdl");
  struct Case {
    int regressors, nObs;
    std::vector<double> sscp;
    double sst, sse, r2;
    int result;
  } cases[] = {
      {1, 4, {4, 8, 20}, 4, 4, 0, 1},                               // intercept alone
      {2, 3, {3, 6, 12, 14, 28, 56 - 1e-9}, 8 - 1e-9, 1e-9, 1, 2},  // |Syy - b'X'y|
      {1, 4, {4, 4, 3.999999}, -1e-6, -1e-6, 0, 1},                 // SSE capped at SST
      {2, 3, {3, 3, 3, 3, 3, 9}, 0, 0, 0, -1}                       // singular
  };
  for (Case c : cases) {
    testing::editModel(model, [&](Regression& edit) {
      edit.regressors.clear();
      edit.nObs = c.nObs, edit.totalWeight = c.sscp[0], edit.LHS = "Y", edit.status = 0;
      for (int i = 0; i < c.regressors; ++i)
        edit.regressors.push_back({i == 0 ? "_intercept_" : "X", i == 0 ? "" : "X", 0, "", 1});
    });
    ASSERT_EQ(OLSRegression(model.c_str(), c.sscp.data(), dir.file("r.txt").c_str()), c.result);
    Regression fitted;
    fitted.loading(model);
    if (c.result < 0) {
      EXPECT_EQ(std::tie(fitted.status, fitted.nModel), std::make_tuple(-1, 0));
      continue;
    }
    EXPECT_NEAR(fitted.SST, c.sst, 1e-12);
    EXPECT_NEAR(fitted.SST - fitted.SSR, c.sse, 1e-12);
    EXPECT_NEAR(fitted.R2, c.r2, 1e-6);
    EXPECT_EQ(std::isnan(fitted.F), c.regressors == 1);
  }
  EXPECT_NE(testing::readFile(dir.file("r.txt")).find("|  F value        nan  Prob>F         nan"),
            std::string::npos);
}

// A fit of two regressors on ten observations, set by hand.
struct HandFit : Regression {
  std::vector<double> packed{10.5, 0, 50, 0, 0, 2782};
  explicit HandFit(const std::string& report) {
    regressors = {{"_intercept_", "", 0, "Intercept", 3},
                  {"AVERY_LONG_NAME_X", "", 0, "a label that is longer than twenty five chars", 1}};
    numOfRgrs = nModel = 2, nObs = 10, selected = {0, 1};
    SST = 2532, SSR = 2500, SSE = 32, MSE = 4, F = 625, R2 = 0.98736, adjR2 = 0.98578;
    totalWeight = 10.5, slEntry = 0.05, slStay = 0.1, Syy = 2782, weightScale = 1;
    sscp = packed.data(), inverse = Matrix(2, 2), beta = Vector(2, 5);
    inverse(0, 0) = 0.25, inverse(1, 1) = 0.01, beta[0] = 0;
    LHS = "Y", Weight = "W", reportFile = report;
  }
};

TEST(Report, BothColumnLayoutsLineByLine) {
  testing::ScratchDir dir;
  HandFit fit(dir.file("report.txt"));
  fit.printReport("OLS estimation", false);
  fit.printReport("Variable X added", true);
  const std::string rule(89, '-');
  const std::string head =
      "Dependent Variable: Y      Weighted by: W\n" + rule +
      "\n  Source       DF   Sum of Sq.   Mean Square  |  F value        625  Prob>F      "
      "<.0001\n" +
      std::string(46, '-') +
      "|  R square   0.98736  adj R-sq.  0.98578\n"
      "  Model         1         2500         2500   |  RMSE             2  Total Wgt     10.5\n"
      "  Error         8           32            4   |";
  const std::string total =
      "\n  Total         9         2532     281.3333   |  Dep. Mean        5  Dep. Std    "
      "16.773\n" +
      rule + "\n  Regressor          Coef.   Std.Err. ";
  const std::string intercept = " _intercept_      0.00000          1 ";
  const std::string slope = " AVERY_LONG_NAM         5        0.2 ";
  const std::string labels[2] = {"        1  Intercept" + std::string(16, ' ') + "\n",
                                 "  <.0001  a label that is longer th\n"};
  const std::string expected = "\n*****  OLS estimation  *****\n\n" + head + total +
                               "        z  Prob>|z|  Label\n" + rule + "\n" + intercept +
                               "   0.0000 " + labels[0].substr(1) + slope + "       25 " +
                               labels[1] + rule + "\n\n" + "\n*****  Variable X added  *****\n\n" +
                               head + "  SL.Entry      0.05  SL.Stay        0.1" + total +
                               "Type II SS   F Value   Prob>F   Label\n" + rule + "\n" + intercept +
                               "    0.0000    0.0000 " + labels[0].substr(1) + slope +
                               "      2500       625 " + labels[1] + rule + "\n\n";
  EXPECT_EQ(testing::readFile(dir.file("report.txt")), expected);
}

// R's `api` school data (the two-stage cluster sample apiclus2: schools in districts,
// with fractional sampling weights), imported from CSV and fitted with weights; the
// figures are R's lm() on the same data, printed with 17 significant digits:
//   lm(api00 ~ ell + meals + mobility + I(stype=="H") + I(stype=="M") + cnum,
//      weights = pw)
struct RFigure {
  const char* name;
  double coef, stdErr, prob;
};

const RFigure kCoefficients[] = {
    {"_intercept_", 843.77977682656353409, 24.11236342119186560, 1.7655080546818729e-64},
    {"CNUM", 1.08701208783618308, 0.50623164778483698, 3.3800884976124219e-02},
    {"ELL", -0.85889843338907124, 0.70272905419196119, 2.2403503747171702e-01},
    {"MEALS", -2.62133710316610813, 0.44448036413867853, 3.5388639974130063e-08},
    {"MOBILITY", -0.63432229661271688, 0.66130549503621361, 3.3940429041358733e-01},
    {"STYPE_2", -157.11625488998836886, 21.73358770721192457, 5.0757797969904639e-11},
    {"STYPE_3", -60.52757392647490775, 17.34315527462625894, 6.7820845053608719e-04}};
constexpr double kR2 = 7.2084243948223370e-01, kAdjR2 = 7.0676726836369086e-01;
constexpr double kF = 5.1213760274117377e+01, kSigma2 = 2.2346510872827252e+05;
constexpr double kTotalWeight = 5.1286750000000002e+03;

void importInto(const testing::ScratchDir& dir, const std::string& name,
                const std::string& weight) {
  importFile(std::string(TESSARY_TEST_SOURCE_DIR) + "/regression/data/apiclus2_" + name + ".csv",
             dir.file(name), {.write = {.weightVariable = weight}});
}

TEST(RealData, WeightedFitOfTheApiSchoolsMatchesR) {
  testing::ScratchDir dir;
  testing::ScopedEnv temporary("TMPDIR", dir.path().c_str());
  std::ostream* previous = setTraceStream(nullptr);
  importInto(dir, "schools", "pw");
  importInto(dir, "districts", "");
  combineDataSets({dir.file("schools"), dir.file("districts"), "dnum", dir.file("api.daA")});
  testing::writeFile(dir.file("api.ini"),
                     "[DataArray]\nSurvey=api.daA\n[SelectedVars]\n"
                     "VarList=STYPE,ELL,MEALS,MOBILITY,CNUM\nSPosition=0,0,0,0,1\n");
  const std::string model = dir.file("api.mdl"), daa = dir.file("api.daA");
  ASSERT_EQ(buildModelFromCombinedDataset(dir.file("api.ini").c_str(), model.c_str(), "API00", 0),
            126);
  testing::editModel(model, [](Regression& edit) {
    for (Regressor& record : edit.regressors)
      if (record.name != "STYPE_1") record.flags |= kInModel;
  });

  ModelSample sample = modelSample(daa, model);
  std::vector<double> sscp(45);
  ASSERT_EQ(
      makeSSCP(daa.c_str(), model.c_str(), sample.mask.data(), sample.weights.data(), sscp.data()),
      126);
  ASSERT_EQ(OLSRegression(model.c_str(), sscp.data(), ""), 7);
  setTraceStream(previous);

  Regression fit;
  fit.loading(model);
  const double mse = kSigma2 * 126 / kTotalWeight;  // R's sigma^2 is not rescaled
  for (auto [expected, actual] : {std::pair{kTotalWeight, fit.totalWeight},
                                  {kR2, fit.R2},
                                  {kAdjR2, fit.adjR2},
                                  {kF, fit.F},
                                  {mse, fit.MSE}})
    expectClose(expected, actual, "statistic");
  for (const RFigure& figure : kCoefficients) {
    const Regressor* record = nullptr;
    for (const Regressor& candidate : fit.regressors)
      if (candidate.name == figure.name) record = &candidate;
    ASSERT_NE(record, nullptr) << figure.name;
    expectClose(figure.coef, record->coef, figure.name);
    expectClose(figure.stdErr, record->stdErr, figure.name);
    EXPECT_NEAR(record->prob, figure.prob, 1e-12 + 1e-8 * figure.prob) << figure.name;
  }
}

}  // namespace
}  // namespace tessary
