#include "common/project.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>
#include <tuple>

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
  EXPECT_TRUE(boxes.messages().empty() && project.projectReady());
  const std::string home = survey.dir.path() + "/";
  EXPECT_EQ((std::vector<std::string>{project.householdSizeVariable, project.surveyPath,
                                      project.censusPath, project.betaModelName,
                                      project.betaModelNames[0], project.betaModelNames[1],
                                      project.alphaModelNames[1], project.scriptFile,
                                      project.outputFile, project.surveyFilter, project.maskFile}),
            (std::vector<std::string>{"SIZE", home + "survey.daA", "/abs/census.daA", "beta",
                                      home + "b0.mdl", "", "/x/a1.mdl", home + "s.txt",
                                      home + "out/sim.txt", "X>1", home + "proj.gmk"}));
  EXPECT_EQ(project.type, 1);
  EXPECT_EQ(project.selectedCount, 0);
  EXPECT_EQ(project.selectedVariables, (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(project.surveyLevels, (std::vector<int>{0, 1, 0}));
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
  project.survey().header(1).find("D")->selected = 1;
  auto selected = [&](int level, const char* name) {
    return project.survey().header(level).find(name)->selected;
  };
  project.setSelectedVars(2);
  EXPECT_EQ(
      (std::vector<int>{selected(0, "A"), selected(0, "C"), selected(1, "B"), selected(1, "D")}),
      (std::vector<int>{1, 1, 0, 0}));
  project.setSelectedVars(0);
  EXPECT_EQ(selected(1, "B"), 1);

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
  const testing::ShownMessage& box = boxes.messages()[0];
  EXPECT_EQ(std::tie(box.caption, box.style, box.text),
            std::make_tuple("CProject::_init()", 0x40u,
                            ".daA file is incomplete (missing cluster header)\nAfter successfully "
                            "executing line: 136\nIn file: common/CProject."));
  EXPECT_EQ(failureText([&] { project.loadSurveyCDA(); }),
            "CProject::loadSurveyCDA: loading error.\n");

  const auto other = std::make_exception_ptr(std::runtime_error("x"));
  errno = EACCES;
  CProject::InitReport denied = CProject::describeInitFailure(other, 223);
  EXPECT_EQ(denied.style, 0x10u);
  EXPECT_EQ(denied.text.substr(0, 42), "Access is denied.\nDon't try to open a proj");
}

}  // namespace
}  // namespace tessary
