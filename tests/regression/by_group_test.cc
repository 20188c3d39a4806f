// The leave-one-group-out fits against independent weighted fits of the data without
// each group.
#include <gtest/gtest.h>

#include "regression/least_squares_reference.h"
#include "regression/survey_fixture.h"

namespace tessary {
namespace {

TEST(ByGroup, EachBlockIsTheWeightedFitWithoutItsCategory) {
  testing::ModelSurvey s;
  // G is 3 exactly where D is 3, so the fit without G = 3 has no D_3 and is singular.
  std::vector<double> g;
  for (std::size_t i = 0; i < 200; ++i)
    g.push_back(s.d[i] == 3 ? 3 : i < 100 ? 1 : 2);
  s.survey.add(0, "G", g, 'C');
  s.mark({"D_2", "D_3", "X1", "X2", "Z"}, "X2>0.1");
  const std::string before = testing::readFile(s.model);
  const std::vector<int> model{0, 2, 3, 4, 5, 6};
  std::vector<double> results(3 * 20, -7.0);
  ASSERT_EQ(OLSbyVar(s.survey.daa().c_str(), s.model.c_str(), "G", results.data()), 2);
  for (int code = 1; code <= 2; ++code) {
    std::vector<bool> included;
    std::vector<double> y, w;
    for (std::size_t i = 0; i < 200; ++i) {
      included.push_back(s.x2[i] > 0.1 && g[i] != code);
      if (included.back()) y.push_back(s.y[i]), w.push_back(s.w[i]);
    }
    const auto ref = testing::leastSquares(s.rows(model, included), y, w);
    const double* block = results.data() + (code - 1) * 20;
    EXPECT_EQ(block[0], code);
    EXPECT_EQ(block[1], static_cast<double>(y.size()));
    const long double expected[] = {ref.sse, ref.sst - ref.sse, ref.r2, ref.f, ref.mse, ref.adjR2};
    for (int i = 0; i < 6; ++i) {
      EXPECT_NEAR(block[2 + i], expected[i], 1e-10 * std::fabs(expected[i])) << code << " " << i;
      EXPECT_NEAR(block[8 + 2 * i], ref.beta[i], 1e-10 * std::fabs(ref.beta[i]));
      const long double t = ref.beta[i] / ref.stdErr[i];
      EXPECT_NEAR(block[9 + 2 * i], t, 1e-10 * std::fabs(t));
    }
  }
  EXPECT_EQ(results[40], -7.0);  // nothing beyond the two blocks
  EXPECT_EQ(testing::readFile(s.model), before);

  const std::pair<const char*, std::string> failures[] = {
      {"X1", "Regression::OLSby():\nX1 is not categorical"},
      {nullptr, "OLSbyVar: the grouping variable or the results array is missing."}};
  for (const auto& [byVar, text] : failures) {
    testing::MessageRecorder boxes;
    EXPECT_EQ(OLSbyVar(s.survey.daa().c_str(), s.model.c_str(), byVar, results.data()), -2);
    ASSERT_EQ(boxes.messages().size(), 1u);
    EXPECT_EQ(boxes.messages()[0].caption, "OLS regression");
    EXPECT_EQ(boxes.messages()[0].text, text);
  }
}

}  // namespace
}  // namespace tessary
