#include "common/project.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>

#include "platform/profile.h"
#include "regression/survey_fixture.h"

namespace tessary {
namespace {

using testing::failureText;
using testing::MessageRecorder;
using testing::SurveyFixture;

TEST(Project, ReadsKeysResolvesPathsAndWritesTheDefaultMaskBack) {
  SurveyFixture survey({2});
  const std::string path = survey.dir.file("proj.ini");
  testing::writeFile(path,
                     "[PROJECT]\nType=1\nscriptFile=s.txt\n[DataArray]\nSurvey=survey.daA\n"
                     "HHSizeVar=SIZE\nCensus=/abs/census.daA\n[SelectedVars]\nVarList= A, B ,C\n"
                     "SPosition=0,1,0\nNumber=-3\n[Session]\nbetaModelName=beta\n"
                     "betaModelName0=b0.mdl\nalphaModelName1=/x/a1.mdl\n[SimCFG]\n"
                     "Outputfile=out/sim.txt\n[Survey]\nFilters=X>1\n");
  MessageRecorder boxes;
  CProject project;
  project._init(path);
  EXPECT_TRUE(boxes.messages().empty());
  EXPECT_TRUE(project.projectReady());
  const std::string home = survey.dir.path() + "/";
  EXPECT_EQ(project.type, 1);
  EXPECT_EQ(project.selectedCount, 0);
  EXPECT_EQ(project.householdSizeVariable, "SIZE");
  EXPECT_EQ(project.surveyPath, home + "survey.daA");
  EXPECT_EQ(project.censusPath, "/abs/census.daA");
  EXPECT_EQ(project.betaModelName, "beta");
  EXPECT_EQ(project.betaModelNames[0], home + "b0.mdl");
  EXPECT_EQ(project.betaModelNames[1], "");
  EXPECT_EQ(project.alphaModelNames[1], "/x/a1.mdl");
  EXPECT_EQ(project.scriptFile, home + "s.txt");
  EXPECT_EQ(project.outputFile, home + "out/sim.txt");
  EXPECT_EQ(project.surveyFilter, "X>1");
  EXPECT_EQ(project.selectedVariables, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(project.surveyLevels, (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(project.maskFile, home + "proj.gmk");
  EXPECT_EQ(profileString(path, "PROJECT", "MaskFile", "", 256), home + "proj.gmk");
}

TEST(Project, SelectsVariablesInTheirLevelsOutsideTheMask) {
  SurveyFixture survey({2, 1});
  survey.add(0, "A", {1, 2, 3});
  survey.add(0, "C", {1, 2, 3});
  survey.add(1, "B", {4, 5});
  survey.add(1, "D", {4, 5});
  CProject project;
  EXPECT_EQ(failureText([&] { project.setSelectedVars(0); }),
            "Project object is not ready. \nPlease call its _init(...) method first.");
  project._init(survey.project("A,B,C", "0,1,0"));
  EXPECT_EQ(failureText([&] { project.setSelectedVars(0); }),
            "Survey object is not ready. \nPlease call its loadSurveyCDA(...) method first.");
  project.loadSurveyCDA();
  project.survey().level(1).find("D")->selected = 1;
  project.setSelectedVars(2);
  EXPECT_EQ(project.survey().level(0).find("A")->selected, 1);
  EXPECT_EQ(project.survey().level(0).find("C")->selected, 1);
  EXPECT_EQ(project.survey().level(1).find("B")->selected, 0);
  EXPECT_EQ(project.survey().level(1).find("D")->selected, 0);
  project.setSelectedVars(0);
  EXPECT_EQ(project.survey().level(1).find("B")->selected, 1);

  CProject missing;
  missing._init(survey.project("A,Z", "0,0"));
  missing.loadSurveyCDA();
  EXPECT_EQ(failureText([&] { missing.setSelectedVars(0); }),
            "CProject::setSelectedVars()::\nDataArrayHeader::Select:\nVariable: Z not found\n");
}

TEST(Project, InitFailuresAreShownWithTheirStepMarker) {
  SurveyFixture survey({1});
  testing::writeFile(survey.daa(), "hh.daH\n");
  MessageRecorder boxes;
  CProject project;
  project._init(survey.project("A", "0"));
  EXPECT_FALSE(project.projectReady());
  ASSERT_EQ(boxes.messages().size(), 1u);
  EXPECT_EQ(boxes.messages()[0].caption, "CProject::_init()");
  EXPECT_EQ(boxes.messages()[0].style, 0x40u);
  EXPECT_EQ(boxes.messages()[0].text,
            ".daA file is incomplete (missing cluster header)\nAfter successfully executing "
            "line: 136\nIn file: common/CProject.");
  EXPECT_EQ(failureText([&] { project.loadSurveyCDA(); }),
            "CProject::loadSurveyCDA: loading error.\n");

  const auto other = std::make_exception_ptr(std::runtime_error("x"));
  errno = EACCES;
  CProject::InitReport denied = CProject::describeInitFailure(other, 223);
  EXPECT_EQ(denied.style, 0x10u);
  EXPECT_EQ(denied.text.substr(0, 42), "Access is denied.\nDon't try to open a proj");
  errno = 0;
  EXPECT_EQ(CProject::describeInitFailure(other, 223).text,
            "Unexpected error occurs. \nAfter successfully executing line: 223\nIn file: "
            "common/CProject.\nProcessing:");
}

}  // namespace
}  // namespace tessary
