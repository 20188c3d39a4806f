#include "regression/model_sample.h"

#include <gtest/gtest.h>

#include "data/record_bitmap.h"
#include "regression/model_summary.h"
#include "regression/regression.h"
#include "regression/survey_fixture.h"
#include "tessary.h"

namespace tessary {
namespace {

TEST(ModelSample, ExcludesMissingValuesAndTheConditionThenPicksTheWeights) {
  testing::SurveyFixture survey({3, 3});
  const double M = 1.0 / 0.0;
  survey.add(0, "Y", {1, M, 3, 4, 5, 6});
  survey.add(0, "X", {1, 2, 3, M, 5, 6});
  survey.add(0, "W", {10, 20, 30, 40, 50, 60});
  survey.add(0, "UNUSED", {M, M, M, M, M, M});
  survey.add(1, "Z", {1, 2});
  survey.name("", "W");
  const std::string model = survey.dir.file("m.mdl");
  buildModelFromCombinedDataset(survey.project("X,Z", "0,1").c_str(), model.c_str(), "Y", 0);
  Regression edit;
  edit.loading(model);
  edit.condition = "Z=1 | X>5";
  edit.saving(model);

  const ModelSample sample = modelSample(survey.daa(), model);
  EXPECT_EQ(sample.included, 3);
  EXPECT_EQ(sample.mask[0], 0x1A);  // records 2 and 4 missing, 5 outside the condition
  EXPECT_EQ(sample.weights, (std::vector<double>{10, 30, 60}));
  edit.loading(model);
  EXPECT_EQ(modelSummary(edit),
            "dependent Y, weight W, condition Z=1 | X>5\n6 records, 6 included, total weight "
            "210\nnot fitted; 1 of 3 regressors marked for the model\n"
            "  IN  REGRESSOR                     COEF.      STD.ERR.    PROB  LABEL\n"
            "  *F  _intercept_                                               Intercept\n"
            "      X\n      Z\n");
}

}  // namespace
}  // namespace tessary
