// Model building, the host's sample and the exports' failures.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "regression/model_sample.h"
#include "regression/model_summary.h"
#include "regression/survey_fixture.h"

namespace tessary {
namespace {

using testing::MessageRecorder;
using testing::ModelSurvey;

std::vector<std::string> names(const Regression& model) {
  std::vector<std::string> out;
  for (const Regressor& record : model.regressors)
    out.push_back(record.name);
  return out;
}

// `front`, then each base name followed by its products with the predicted value's
// first `level` powers.
std::vector<std::string> expectedNames(std::vector<std::string> front,
                                       const std::vector<std::string>& bases, int level) {
  const std::string suffixes[] = {"", "*_yhat_", "*_yhat_*_yhat_"};
  for (const std::string& base : bases)
    for (int power = 0; power <= level; ++power)
      front.push_back(base + suffixes[power]);
  return front;
}

TEST(ModelBuilding, CandidatesDummiesAndPredictedValueTerms) {
  ModelSurvey s(2);
  const auto built = s.read();
  EXPECT_EQ(names(*built), expectedNames({"_intercept_", "_yhat_", "_yhat_*_yhat_"},
                                         {"D_1", "D_2", "D_3", "X1", "X2", "Z"}, 2));
  const Regressor& dummy = built->regressors[7];
  EXPECT_EQ(std::tie(dummy.source, dummy.code, dummy.label, built->regressors[12].label),
            std::make_tuple("D", 2, "Dummy for (D)=East*_yhat_", "first"));
  EXPECT_EQ(
      std::tie(built->regressors[0].flags, built->regressors[1].flags, built->regressors[2].source,
               built->Weight, built->LHS, built->nObs, built->slEntry),
      std::make_tuple(3, 0, "_yhat_", "W", "Y", 200, 0.05));

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

TEST(ModelBuilding, BinaryCategoricalsTheClusterIdentifierAndTheHostSample) {
  testing::SurveyFixture survey({2, 2});
  survey.add(0, "B", {0, 1, 1, 0}, 'C');
  survey.add(0, "C", {10, 12, 11, 10}, 'C');
  survey.add(0, "HHID", {1, 2, 3, 4});
  survey.add(0, "WT", {1, 1, 2, 2});
  survey.add(0, "Y", {1, 1.0 / 0.0, 3, 4});
  survey.name("HHID", "WT");
  const std::string model = survey.dir.file("m.mdl");
  ASSERT_EQ(buildModelFromCombinedDataset(survey.project("B,C,HHID", "0,0,0").c_str(),
                                          model.c_str(), "Y", 0),
            4);
  Regression built;
  built.loading(model);
  EXPECT_EQ(names(built), (std::vector<std::string>{"_intercept_", "B_1", "C_10", "C_11", "C_12"}));
  EXPECT_EQ(built.regressors[1].code, 1);
  EXPECT_EQ(built.totalWeight, 6);
  EXPECT_EQ(modelSummary(built).substr(0, 67),
            "dependent Y, weight WT, condition (none)\n4 records, 4 included, tot");
  // What a host passes to makeSSCP: records missing a value or outside the condition
  // excluded, the weights of the others.
  testing::editModel(model, [](Regression& edit) { edit.condition = "C>10"; });
  const ModelSample sample = modelSample(survey.daa(), model);
  EXPECT_EQ(std::tie(sample.included, sample.mask[0], sample.weights),
            std::make_tuple(1, 0x0B, std::vector<double>{2}));
}

TEST(ModelBuilding, RefreshAddsNewAndDropsDeselectedVariables) {
  ModelSurvey s(1);
  std::vector<double> x3(200, 1.0);
  x3[5] = 2;
  s.survey.add(0, "X3", x3);
  s.survey.add(0, "K", std::vector<double>(200, 4.0));
  const std::string project = s.survey.project("X1,Z,X3,K,D,x1", "0,1,0,0,0,0");
  ASSERT_EQ(buildModelFromCombinedDataset(project.c_str(), s.model.c_str(), "Y", 1), 200);
  // A variable is new unless a record bears exactly its name: D (whose records are its
  // dummies) and x1 come again; the constant K does not.
  EXPECT_EQ(names(*s.read()),
            expectedNames({"_intercept_", "_yhat_"},
                          {"X3", "D_1", "D_2", "D_3", "X1", "D_1", "D_2", "D_3", "X1", "Z"}, 1));
}

TEST(RegressionExports, FailuresShowTheirCaptionAndReturnTheirCode) {
  testing::ModelSurvey s;
  const std::string daa = s.survey.daa(), model = s.model, dir = s.survey.dir.path();
  testing::writeFile(dir + "/nolhs.mdl", testing::readFile(model));
  testing::editModel(dir + "/nolhs.mdl", [](Regression& edit) { edit.LHS = ""; });
  testing::writeFile(dir + "/bad.mdl", "101\xA5");
  testing::writeFile(dir + "/nosurvey.ini", "[PROJECT]\nType=0\n");
  std::vector<std::uint8_t> mask(25, 0);
  std::vector<double> buffer(200 * 8), out(200);
  const double values[3] = {1, 2, 3};
  const std::uint8_t second = 0x02;
  double noObservations[36] = {0.0};
  std::vector<char> data(daa.begin(), daa.end() + 1), path(model.begin(), model.end() + 1);
  // makeSSCP of a model file, with the caller's mask.
  auto sscp = [&](const std::string& file, std::uint8_t* bits, const char* data) {
    return
        [=, &buffer, &s] { return makeSSCP(data, file.c_str(), bits, s.w.data(), buffer.data()); };
  };
  struct Case {
    std::function<int()> call;
    int result;
    const char* caption;  // nullptr: no box
    std::string text;
  } cases[] = {
      {sscp(dir + "/nolhs.mdl", mask.data(), daa.c_str()), -2, "makeSSCP", "Can't make SSCP"},
      {sscp(model, nullptr, daa.c_str()), -2, "makeSSCP", "Regression::init():\nmBuffer missing"},
      {sscp(dir + "/bad.mdl", mask.data(), daa.c_str()), -2, "makeSSCP",
       "Regression::load():\nRegression::loading:\nRegression::loading: Reading error"},
      {sscp(model, mask.data(), nullptr), -2, "makeSSCP",
       "Regression::load():\nCDA not constructed"},
      {[&] {
         return getRegressors(daa.c_str(), model.c_str(), nullptr, nullptr, buffer.data(), 0);
       },
       -1, "getRegressors", "Regression::init():\nmBuffer missing"},
      {[&] { return getResidual(daa.c_str(), model.c_str(), mask.data(), 0, 0, 0, 0); }, -2,
       "Error in retrieving the residual", "getResidual: an output array is missing."},
      {[&] { return getCleanVector(values, nullptr, 3, out.data()); }, -2,
       "Error in retrieving the residual",
       "getCleanVector: the values, the mask or the output is missing."},
      {[&] { return getCleanVector(values, &second, 3, out.data()); }, 2, nullptr, ""},
      {[&] {
         return buildModelFromCombinedDataset((dir + "/nosurvey.ini").c_str(), "n.mdl", "Y", 0);
       },
       -2, "Build model from CDA",
       "Regression::updateModel():\nCProject::loadSurveyCDA: loading error.\n"},
      {[&] { return readFileSection(dir.c_str(), 0, 3, buffer.data()); }, 0, "msgbox",
       "Unexpected error\nCan't open file " + dir + " to read.\n"},
      {[&] { return simpleOLS(data.data(), path.data(), nullptr, nullptr); }, -1, nullptr, ""},
      {[&] { return OLSRegression(model.c_str(), noObservations, ""); }, -1, nullptr, ""}};
  for (const Case& c : cases) {
    MessageRecorder boxes;
    EXPECT_EQ(c.call(), c.result) << c.text;
    ASSERT_EQ(boxes.messages().size(), c.caption != nullptr ? 1u : 0u) << c.text;
    if (c.caption == nullptr) continue;
    EXPECT_EQ(boxes.messages()[0].caption, c.caption);
    EXPECT_EQ(boxes.messages()[0].text, c.text);
    EXPECT_EQ(boxes.messages()[0].style, 0x10u);
  }
  EXPECT_EQ(out[0] + out[1], 4.0);  // getCleanVector kept records 1 and 3
}

}  // namespace
}  // namespace tessary
