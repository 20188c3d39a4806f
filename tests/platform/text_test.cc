#include "platform/text.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace tessary {
namespace {

TEST(Text, UpperCasingTouchesAsciiLettersOnly) {
  EXPECT_EQ(upperCase("income_pc[1] x"), "INCOME_PC[1] X");
  // Bytes above 127 (an accented letter in the ANSI code page) stay as they are.
  EXPECT_EQ(upperCase("r\xe9gion"), "R\xe9GION");
  std::string name = "abc";
  upperCaseInPlace(name);
  EXPECT_EQ(name, "ABC");
}

TEST(Text, FormatTextFillsPrintfTemplates) {
  EXPECT_EQ(formatText("\nError Code: (%i)\nVariable: %s", 12, "AGE"),
            "\nError Code: (12)\nVariable: AGE");
  EXPECT_EQ(formatText("%d-%s", -3, ""), "-3-");
  EXPECT_EQ(formatText("%s", std::string(5000, 'x').c_str()).size(), 5000u);
  EXPECT_EQ(formatText("plain"), "plain");
}

TEST(Text, SystemErrorsAreErrnoAndStrerror) {
  errno = ENOENT;
  EXPECT_EQ(lastSystemError(), ENOENT);
  EXPECT_EQ(systemErrorText(ENOENT), "No such file or directory");
}

}  // namespace
}  // namespace tessary
