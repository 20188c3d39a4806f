#include "platform/presenter.h"

#include <gtest/gtest.h>

namespace tessary {
namespace {

int answerNo(void*, const char*, const char*, unsigned int) {
  return kIdNo;
}

TEST(Presenter, DefaultButtonFollowsTheStyleWord) {
  // Yes/no with question icon, yes/no/cancel, the second button of yes/no.
  const std::pair<unsigned int, int> cases[] = {{0x10, kIdOk},  {0x30, kIdOk},   {0x40, kIdOk},
                                                {0x24, kIdYes}, {0x23, kIdYes},  {0x104, kIdNo},
                                                {0x1, kIdOk},   {0x2, kIdAbort}, {0x5, kIdRetry}};
  for (const auto& [style, button] : cases)
    EXPECT_EQ(defaultButton(style), button) << style;
}

TEST(Presenter, DefaultWritesCaptionAndTextToStandardError) {
  ::testing::internal::CaptureStderr();
  const int button = presentMessage(nullptr, "line one\nline two", "Caption", 0x24);
  const std::string shown = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(button, kIdYes);
  EXPECT_EQ(shown, "[Caption]\nline one\nline two\n");
}

TEST(Presenter, HostHandlerReplacesTheDefaultAndNullRestoresIt) {
  EXPECT_EQ(setMessageHandler(answerNo), nullptr);
  EXPECT_EQ(presentMessage(nullptr, "t", "c", 0x24), kIdNo);
  EXPECT_EQ(setMessageHandler(nullptr), answerNo);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(presentMessage(nullptr, "t", "c", 0x24), kIdYes);
  ::testing::internal::GetCapturedStderr();
}

}  // namespace
}  // namespace tessary
