#include <gtest/gtest.h>

#include <functional>

#include "frame/counted_string.h"
#include "frame/failure.h"
#include "frame/packed_strings.h"
#include "platform/file.h"
#include "tessary.h"
#include "test_support.h"

namespace tessary {
namespace {

using testing::failureText;

TEST(PackedStrings, ByteLayoutAndSplitting) {
  const std::string packed = packStrings({"a", "bc"});
  EXPECT_EQ(packed, std::string("\x02\x00\x01\x00"
                                "a"
                                "\x02\x00"
                                "bc",
                                9));
  std::vector<std::string> list = {"stale"};
  EXPECT_EQ(splitPackedStrings(packed.data(), list), 2);
  EXPECT_EQ(list, (std::vector<std::string>{"a", "bc"}));

  const unsigned char empty[] = {0x00, 0x00};
  EXPECT_EQ(splitPackedStrings(empty, list), 0);
  EXPECT_TRUE(list.empty());
  const unsigned char negative[] = {0xFF, 0xFF};
  EXPECT_EQ(splitPackedStrings(negative, list), -1);
  EXPECT_TRUE(list.empty());
  // An entry of length zero, then one of 300 bytes (two-byte length, low byte first).
  const std::string longer = packStrings({"", std::string(300, 'z')});
  EXPECT_EQ(longer.substr(0, 6), std::string("\x02\x00\x00\x00\x2c\x01", 6));
  EXPECT_EQ(splitPackedStrings(longer.data(), list), 2);
  EXPECT_EQ(list[0], "");
  EXPECT_EQ(list[1].size(), 300u);
}

TEST(CountedStrings, RoundTripAndExactBytes) {
  testing::ScratchDir dir;
  const std::string path = dir.file("strings.bin");
  {
    File file;
    ASSERT_TRUE(file.open(path, File::Mode::kCreate));
    writeCountedString(file, "ab");
    writeCountedString(file, "");
    writeCountedString(file, std::string(40000, 'q'));  // cut to 32767
  }
  const std::string bytes = testing::readFile(path);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x02\x00"
                                            "ab"
                                            "\x00\x00"
                                            "\xff\x7f",
                                            8));
  EXPECT_EQ(bytes.size(), 8u + 32767u);

  File file;
  ASSERT_TRUE(file.open(path, File::Mode::kRead));
  EXPECT_EQ(readCountedString(file), "ab");
  EXPECT_EQ(readCountedString(file), "");
  EXPECT_EQ(readCountedString(file), std::string(32767, 'q'));
  EXPECT_EQ(failureText([&] { readCountedString(file); }), "Can't retrieve string length");
}

TEST(CountedStrings, ShortFilesAndFailedWritesThrowTheirMessages) {
  testing::ScratchDir dir;
  File file;
  const std::string shortBody = dir.file("short");
  testing::writeFile(shortBody, std::string("\x05\x00"
                                            "abc",
                                            5));
  ASSERT_TRUE(file.open(shortBody, File::Mode::kRead));
  EXPECT_EQ(failureText([&] { readCountedString(file); }), "Can't retrieve whole string");

  // A negative length reads as the empty string.
  const std::string negative = dir.file("negative");
  testing::writeFile(negative, std::string("\xff\xff", 2));
  ASSERT_TRUE(file.open(negative, File::Mode::kRead));
  EXPECT_EQ(readCountedString(file), "");

  ASSERT_TRUE(file.open(shortBody, File::Mode::kRead));  // writes fail on it
  EXPECT_EQ(failureText([&] { writeCountedString(file, "abc"); }),
            "Fail to complete string writing :abc");
}

}  // namespace
}  // namespace tessary
