// Leave-one-group-out refits over the groups of the result label file.
#include <gtest/gtest.h>

#include "regression/least_squares_reference.h"
#include "regression/survey_fixture.h"

namespace tessary {
namespace {

using testing::ModelSurvey;

constexpr const char* kGroups = "0\n1\v67\v150.5=North\n2\v67\v140=East\n3,x\v66\v133=South\n";

TEST(OverFitting, RefitsLeaveEachGroupOutAndKeepTheModelFile) {
  ModelSurvey s;
  s.mark({"X1", "X2"});
  testing::writeFile(s.survey.dir.file("EvalResult.lbl"), kGroups);
  const std::string before = testing::readFile(s.model);
  std::vector<double> results(3 * 14 + 1, -7.0);
  ASSERT_EQ(OverFittingTest(s.survey.daa().c_str(), s.model.c_str(), "D", results.data()), 3);
  EXPECT_EQ(testing::readFile(s.model), before);
  EXPECT_EQ(results.back(), -7.0);
  for (int group = 1; group <= 3; ++group) {
    const auto want = testing::refitFigures(
        group, s.fit({0, 4, 5}, [&](std::size_t i) { return s.d[i] != group; }));
    for (int at = 0; at < 14; ++at)
      EXPECT_NEAR(results[14 * (group - 1) + at], want[at], 1e-10 * std::fabs(want[at]))
          << group << " figure " << at;
  }
  EXPECT_NE(s.survey.traced.text.str().find("under condition (D)!=2 n_obs=133\n"),
            std::string::npos);
  EXPECT_NE(s.survey.traced.text.str().find("putting model 6\n"), std::string::npos);
}

TEST(OverFitting, SingularRefitsAreSkippedAndNoGroupsFitNothing) {
  ModelSurvey s;
  s.mark({"X1", "D_2"});  // without group 2 the dummy's column is all zero
  testing::writeFile(s.survey.dir.file("EvalResult.lbl"), kGroups);
  std::vector<double> results(3 * 14, -7.0);
  const std::string daa = s.survey.daa();
  ASSERT_EQ(OverFittingTest(daa.c_str(), s.model.c_str(), "D", results.data()), 2);
  EXPECT_EQ(results[0], 1.0);
  EXPECT_EQ(results[14], 3.0);
  EXPECT_NE(s.survey.traced.text.str().find("under condition (D)!=2 n_obs=133\ncan't inverse\n"),
            std::string::npos);
  testing::writeFile(s.survey.dir.file("EvalResult.lbl"), "0\n");
  std::vector<double> untouched(14, -7.0);
  EXPECT_EQ(OverFittingTest(daa.c_str(), s.model.c_str(), "D", untouched.data()), 0);
  EXPECT_EQ(untouched, std::vector<double>(14, -7.0));
}

}  // namespace
}  // namespace tessary
