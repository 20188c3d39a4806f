#include "frame/messages.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "frame/error_table.h"
#include "test_support.h"

namespace tessary {
namespace {

TEST(ErrorTable, KnownCodesGiveTheirTextAndOthersUnexpectedError) {
  EXPECT_STREQ(errorCodeText(110010), "You haven't selected any variables to merge.");
  EXPECT_STREQ(errorCodeText(110111), "Eoor in soring data array");
  EXPECT_STREQ(errorCodeText(110170), "Vector is NOT collapsible.\nContinue anyway?");
  EXPECT_STREQ(errorCodeText(110670),
               "Possible error due to invalid data reference.Please review the ID structure.");
  EXPECT_STREQ(
      errorCodeText(110860),
      "The formula for hierarchical ID has been reconstructed. Please take a note of it: ");
  for (std::uint32_t unknown : {0u, 110290u, 110570u, 110009u, 110861u, 4294967295u})
    EXPECT_STREQ(errorCodeText(unknown), "Unexpected error") << unknown;
}

TEST(ShowErrorMessage, ComposesTableTextLineFeedAndDetail) {
  testing::MessageRecorder recorder(kIdNo);
  EXPECT_EQ(showErrorMessage(nullptr, 110111, "detail", "Sort", 0x10), kIdNo);
  EXPECT_EQ(showErrorMessage(nullptr, 110290, "x", "c", 0x30), kIdNo);
  showErrorMessage(nullptr, 0, nullptr, "zero", 0x10);
  showErrorMessage(nullptr, 110740, "WEIGHT", "Remove", 0x24);
  const auto& shown = recorder.messages();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].text, "Eoor in soring data array\ndetail");
  EXPECT_EQ(shown[0].caption, "Sort");
  EXPECT_EQ(shown[0].style, 0x10u);
  EXPECT_EQ(shown[1].text, "Unexpected error\nx");
  EXPECT_EQ(shown[1].style, 0x30u);
  EXPECT_EQ(shown[2].text, "Unexpected error\n");
  EXPECT_EQ(shown[3].text, "Do you want to remove weight variable :\nWEIGHT");
}

TEST(LogError, FallsBackToTheCurrentDirectoryAndFailsSilently) {
  testing::ScratchDir dir;
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  const std::string tooLong = "/" + std::string(300, 'd');
  {
    testing::ScopedEnv env("TMPDIR", tooLong.c_str());
    logError("m", "w");
  }
  EXPECT_EQ(testing::readFile(dir.file("Tarvex.err")), "m\tw\n");
  {
    // A temporary directory that does not exist: nothing is written, nothing thrown.
    testing::ScopedEnv env("TMPDIR", "/nonexistent/tessary/dir");
    EXPECT_NO_THROW(logError("m", "w"));
  }
  ASSERT_EQ(chdir(previous), 0);
}

}  // namespace
}  // namespace tessary
