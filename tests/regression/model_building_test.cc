#include <gtest/gtest.h>

#include "regression/model_survey.h"

namespace tessary {
namespace {

using testing::ModelSurvey;

std::vector<std::string> names(const Regression& model) {
  std::vector<std::string> out;
  for (const Regressor& record : model.regressors)
    out.push_back(record.name);
  return out;
}

TEST(ModelBuilding, CandidatesDummiesAndPredictedValueTerms) {
  ModelSurvey s(2);
  const auto built = s.read();
  const std::string y = "*_yhat_", yy = "*_yhat_*_yhat_";
  EXPECT_EQ(names(*built),
            (std::vector<std::string>{
                "_intercept_", "_yhat_",  "_yhat_*_yhat_", "D_1", "D_1" + y, "D_1" + yy,
                "D_2",         "D_2" + y, "D_2" + yy,      "D_3", "D_3" + y, "D_3" + yy,
                "X1",          "X1" + y,  "X1" + yy,       "X2",  "X2" + y,  "X2" + yy,
                "Z",           "Z" + y,   "Z" + yy}));
  const Regressor& dummy = built->regressors[7];
  EXPECT_EQ(dummy.source, "D");
  EXPECT_EQ(dummy.code, 2);
  EXPECT_EQ(dummy.label, "Dummy for (D)=East*_yhat_");
  EXPECT_EQ(built->regressors[12].label, "first");
  EXPECT_EQ(built->regressors[0].flags, 3);
  EXPECT_EQ(built->regressors[1].flags, 0);
  EXPECT_EQ(built->regressors[2].source, "_yhat_");
  EXPECT_EQ(built->Weight, "W");
  EXPECT_EQ(built->LHS, "Y");
  EXPECT_EQ(built->nObs, 200);
  EXPECT_EQ(built->slEntry, 0.05);

  // Columns of the predicted value, its square and the products, from "_yhat_".
  std::vector<double> yhat;
  for (std::size_t i = 0; i < 200; ++i)
    yhat.push_back(0.25 * static_cast<double>(i));
  s.survey.add(0, "_yhat_", yhat);
  std::vector<std::uint8_t> mask(25, 0);
  std::vector<double> x(200 * 22);
  ASSERT_EQ(
      getRegressors(s.survey.daa().c_str(), s.model.c_str(), mask.data(), s.w.data(), x.data(), 3),
      200);
  for (std::size_t i = 0; i < 200; ++i) {
    EXPECT_EQ(x[1 * 200 + i], yhat[i]);
    EXPECT_EQ(x[2 * 200 + i], yhat[i] * yhat[i]);
    EXPECT_EQ(x[6 * 200 + i], s.d[i] == 2.0);
    EXPECT_EQ(x[7 * 200 + i], s.d[i] * yhat[i]);  // a product takes the source's values
    EXPECT_EQ(x[20 * 200 + i], s.z[i] * yhat[i] * yhat[i]);
    EXPECT_EQ(x[21 * 200 + i], s.y[i]);
  }
}

TEST(ModelBuilding, BinaryCategoricalsAndTheClusterIdentifier) {
  testing::SurveyFixture survey({2, 2});
  survey.add(0, "B", {0, 1, 1, 0}, 'C');
  survey.add(0, "C", {10, 12, 11, 10}, 'C');
  survey.add(0, "HHID", {1, 2, 3, 4});
  survey.add(0, "WT", {1, 1, 2, 2});
  survey.name("HHID", "WT");
  const std::string project = survey.project("B,C,HHID", "0,0,0");
  const std::string model = survey.dir.file("m.mdl");
  ASSERT_EQ(buildModelFromCombinedDataset(project.c_str(), model.c_str(), "Y", 0), 4);
  Regression built;
  built.loading(model);
  EXPECT_EQ(names(built), (std::vector<std::string>{"_intercept_", "B_1", "C_10", "C_11", "C_12"}));
  EXPECT_EQ(built.regressors[1].code, 1);
  EXPECT_EQ(built.totalWeight, 6);
}

TEST(ModelBuilding, RefreshAddsNewAndDropsDeselectedVariables) {
  ModelSurvey s(1);
  std::vector<double> x3(200, 1.0);
  x3[5] = 2;
  s.survey.add(0, "X3", x3);
  s.survey.add(0, "K", std::vector<double>(200, 4.0));
  const std::string project = s.survey.project("X1,Z,X3,K,D", "0,1,0,0,0");
  ASSERT_EQ(buildModelFromCombinedDataset(project.c_str(), s.model.c_str(), "Y", 1), 200);
  EXPECT_EQ(names(*s.read()),
            (std::vector<std::string>{"_intercept_", "_yhat_", "X3", "X3*_yhat_", "D_1",
                                      "D_1*_yhat_", "D_2", "D_2*_yhat_", "D_3", "D_3*_yhat_", "X1",
                                      "X1*_yhat_", "Z", "Z*_yhat_"}));
}

}  // namespace
}  // namespace tessary
