#include "platform/profile.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace tessary {
namespace {

using testing::readFile;
using testing::writeFile;

const char* kProject =
    "; project\n"
    "[Project]\n"
    "  Survey = C:\\data\\survey.daA  \n"
    "Census=\"quoted value\"\n"
    "Count= -42abc\n"
    "\n"
    "[AGE]\n"
    "nLevels=3\n"
    "1=young\n"
    "\n"
    "3 = old\n";

TEST(Profile, ReadsMatchNamesWithoutCaseAndTrimValues) {
  testing::ScratchDir dir;
  const std::string ini = dir.file("p.ini");
  writeFile(ini, kProject);
  EXPECT_EQ(profileString(ini, "PROJECT", "survey", "", 260), "C:\\data\\survey.daA");
  EXPECT_EQ(profileString(ini, "project", "CENSUS", "", 260), "quoted value");
  EXPECT_EQ(profileString(ini, "project", "absent", " fallback ", 260), "fallback");
  EXPECT_EQ(profileString(ini, "nosection", "Survey", "d", 260), "d");
  EXPECT_EQ(profileString(dir.file("nofile.ini"), "Project", "Survey", "d", 260), "d");
  // A buffer of 5 bytes holds 4 characters.
  EXPECT_EQ(profileString(ini, "Project", "Survey", "", 5), "C:\\d");

  EXPECT_EQ(profileInt(ini, "Project", "Count", 7), -42);
  EXPECT_EQ(profileInt(ini, "Project", "Census", 7), 0);
  EXPECT_EQ(profileInt(ini, "Project", "Nothing", 7), 7);
  EXPECT_EQ(profileInt(ini, "age", "nLevels", 0), 3);
}

TEST(Profile, WritesReplaceInPlaceAndKeepEveryOtherLine) {
  testing::ScratchDir dir;
  const std::string ini = dir.file("p.ini");
  writeFile(ini, kProject);
  ASSERT_TRUE(writeProfileString(ini, "PROJECT", "census", "new.daA"));
  ASSERT_TRUE(writeProfileString(ini, "Project", "MaskFile", "C:\\p\\proj.gmk"));
  ASSERT_TRUE(writeProfileString(ini, "Models", "Beta", "beta.mdl"));
  EXPECT_EQ(readFile(ini),
            "; project\n"
            "[Project]\n"
            "  Survey = C:\\data\\survey.daA  \n"
            "Census=new.daA\n"
            "Count= -42abc\n"
            "MaskFile=C:\\p\\proj.gmk\n"
            "\n"
            "[AGE]\n"
            "nLevels=3\n"
            "1=young\n"
            "\n"
            "3 = old\n"
            "[Models]\n"
            "Beta=beta.mdl\n");
  EXPECT_EQ(profileString(ini, "models", "beta", "", 260), "beta.mdl");
}

}  // namespace
}  // namespace tessary
