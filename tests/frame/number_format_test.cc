#include "frame/number_format.h"

#include <gtest/gtest.h>

namespace tessary {
namespace {

TEST(FormatFixed, DocumentedExamples) {
  EXPECT_EQ(formatFixed(1.5, 4, 8), "1.5");
  EXPECT_EQ(formatFixed(2, 4, 8), "2");
  EXPECT_EQ(formatFixed(0.05, 4, 8), "0.05");
  EXPECT_EQ(formatFixed(0, 4, 8), "0.0000");
  EXPECT_EQ(formatFixed(-0.25, 2, 8), "-0.25");
}

TEST(FormatFixed, RoundingAndNothingSignificantLeft) {
  EXPECT_EQ(formatFixed(0.00004, 4, 8), "0.0000");
  EXPECT_EQ(formatFixed(-0.00004, 4, 8), "0.0000");
  // Rounds to 0.0001, whose point lies 3 places out: the general form of x itself.
  EXPECT_EQ(formatFixed(0.00005001, 4, 8), "5.001e-5");
  EXPECT_EQ(formatFixed(1.99996, 4, 8), "2");
  EXPECT_EQ(formatFixed(10.10, 2, 8), "10.1");
  EXPECT_EQ(formatFixed(0.4, 0, 8), "0");
  EXPECT_EQ(formatFixed(123.6, 0, 8), "124");
  EXPECT_EQ(formatFixed(-3.14159265), "-3.1415927");
}

TEST(FormatFixed, ExponentFormWithoutLeadingExponentZeros) {
  // Point 8 places from the first digit: beyond width - decimals - 2 = 2.
  EXPECT_EQ(formatFixed(12345678.0, 4, 8), "1.235e+7");
  EXPECT_EQ(formatFixed(-12345678.0, 4, 8), "-1.235e+7");
  EXPECT_EQ(formatFixed(123.0, 4, 8), "123");  // general form stays fixed here
  EXPECT_EQ(formatFixed(1.23456e-7, 10, 14), "1.23456e-7");
  EXPECT_EQ(formatFixed(2.5e-12, 14, 20), "2.5e-12");
  EXPECT_EQ(formatFixed(1e15, 7, 14), "1e+15");
  // Exactly at the limit stays fixed: |decpt| = 5 = 14 - 7 - 2.
  EXPECT_EQ(formatFixed(12345.678), "12345.678");
  EXPECT_EQ(formatFixed(123456.7), "123456.7");
}

}  // namespace
}  // namespace tessary
