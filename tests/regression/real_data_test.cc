// R's `api` school data (the two-stage cluster sample apiclus2: schools in districts,
// with fractional sampling weights), imported from CSV and fitted with weights; the
// figures below are R's lm() on the same data:
//   lm(api00 ~ ell + meals + mobility + I(stype=="H") + I(stype=="M") + cnum,
//      weights = pw)
// printed with 17 significant digits.
#include <gtest/gtest.h>

#include <cmath>

#include "regression/regression.h"
#include "regression/regression_trace.h"
#include "support/combine.h"
#include "support/csv_reader.h"
#include "support/data_set_writer.h"
#include "tessary.h"
#include "test_support.h"

namespace tessary {
namespace {

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
    {"STYPE_3", -60.52757392647490775, 17.34315527462625894, 6.7820845053608719e-04},
};
constexpr double kR2 = 7.2084243948223370e-01, kAdjR2 = 7.0676726836369086e-01;
constexpr double kF = 5.1213760274117377e+01, kSigma2 = 2.2346510872827252e+05;
constexpr double kTotalWeight = 5.1286750000000002e+03;

void importInto(const testing::ScratchDir& dir, const std::string& name,
                const std::string& weight) {
  cli::ImportedTable table = cli::readCsvFile(std::string(TESSARY_TEST_DATA) +
                                              "/regression/data/apiclus2_" + name + ".csv");
  cli::WriteOptions options;
  options.weightVariable = weight;
  cli::writeDataSet(table, dir.file(name), options);
}

TEST(RealData, WeightedFitOfTheApiSchoolsMatchesR) {
  testing::ScratchDir dir;
  testing::ScopedEnv temporary("TMPDIR", dir.path().c_str());
  std::ostream* previous = setTraceStream(nullptr);
  importInto(dir, "schools", "pw");
  importInto(dir, "districts", "");
  cli::CombineOptions combine;
  combine.households = dir.file("schools");
  combine.clusters = dir.file("districts");
  combine.key = "dnum";
  combine.out = dir.file("api.daA");
  cli::combineDataSets(combine);
  testing::writeFile(dir.file("api.ini"),
                     "[DataArray]\nSurvey=api.daA\n[SelectedVars]\n"
                     "VarList=STYPE,ELL,MEALS,MOBILITY,CNUM\nSPosition=0,0,0,0,1\n");
  const std::string model = dir.file("api.mdl"), daa = dir.file("api.daA");
  ASSERT_EQ(buildModelFromCombinedDataset(dir.file("api.ini").c_str(), model.c_str(), "API00", 0),
            126);
  Regression edit;
  edit.loading(model);
  for (Regressor& record : edit.regressors)
    if (record.name != "STYPE_1") record.flags |= kInModel;
  edit.saving(model);

  std::vector<std::uint8_t> mask(16, 0);
  std::vector<double> weights(126);
  Regression reader;
  reader.load(daa, "");
  reader.readValues("PW", weights.data());
  std::vector<double> sscp(45);
  ASSERT_EQ(makeSSCP(daa.c_str(), model.c_str(), mask.data(), weights.data(), sscp.data()), 126);
  ASSERT_EQ(OLSRegression(model.c_str(), sscp.data(), ""), 7);
  setTraceStream(previous);

  Regression fit;
  fit.loading(model);
  auto expectRelative = [](double expected, double actual, double tolerance) {
    EXPECT_LE(std::fabs(actual - expected), tolerance * std::fabs(expected)) << expected;
  };
  expectRelative(kTotalWeight, fit.totalWeight, 1e-14);
  expectRelative(kR2, fit.R2, 1e-10);
  expectRelative(kAdjR2, fit.adjR2, 1e-10);
  expectRelative(kF, fit.F, 1e-10);
  expectRelative(kSigma2 * 126 / kTotalWeight, fit.MSE, 1e-10);
  for (const RFigure& figure : kCoefficients) {
    const Regressor* record = nullptr;
    for (const Regressor& candidate : fit.regressors)
      if (candidate.name == figure.name) record = &candidate;
    ASSERT_NE(record, nullptr) << figure.name;
    expectRelative(figure.coef, record->coef, 1e-10);
    expectRelative(figure.stdErr, record->stdErr, 1e-10);
    EXPECT_NEAR(record->prob, figure.prob, 1e-12 + 1e-8 * figure.prob) << figure.name;
  }
}

}  // namespace
}  // namespace tessary
