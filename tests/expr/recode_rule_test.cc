#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "expr/invalid_conversion.h"
#include "expr/recode_rule.h"
#include "frame/missing.h"

namespace tessary {
namespace {

RecodeRule ruleOf(const std::string& text) {
  RecodeRule rule;
  EXPECT_TRUE(rule.parse(text)) << text << ": " << rule.errorText();
  return rule;
}

std::string errorOf(const std::string& text) {
  RecodeRule rule;
  EXPECT_FALSE(rule.parse(text)) << text;
  EXPECT_EQ(rule.groupCount(), 0) << text;
  return rule.errorText();
}

// The recode results of `values`, with MISSING written as -999 for readable failures.
std::vector<double> recoded(const RecodeRule& rule, std::vector<double> values,
                            bool setMissing = false, std::int64_t from = 1) {
  rule.apply(values.data(), from, static_cast<std::int64_t>(values.size()) - from + 1, setMissing);
  for (double& v : values)
    if (!std::isfinite(v)) v = -999;
  return values;
}

constexpr double M = -999;  // MISSING in recoded()

TEST(RecodeRule, RecodesByElementsThenRanges) {
  EXPECT_EQ(recoded(ruleOf("{1,2;3}"), {2, 3, 4, 2.7, 1, -1}),
            (std::vector<double>{1, 2, M, 1, 1, M}));
  EXPECT_EQ(recoded(ruleOf("{[0,10);[10,20]}"), {10, 9.5, 20, 20.5, 21, 0, -0.5, -1}),
            (std::vector<double>{2, 1, 2, 2, M, 1, 1, M}));
  EXPECT_EQ(recoded(ruleOf("{<0;>=0}"), {0, -0.5, -1, 1e9, -3e9}),
            (std::vector<double>{2, 2, 1, 2, M}));
  // A reversed bracket still makes an ordered range; its closed ends stay as written.
  EXPECT_EQ(recoded(ruleOf("{[10,0);20}"), {10, 0, 5, 20}), (std::vector<double>{1, M, 1, 2}));
  // Missing and non-finite values come out as MISSING.
  std::vector<double> odd{MISSING, -MISSING, std::nan("")};
  ruleOf("{<0;>=0}").apply(odd.data(), 1, 3, false);
  for (double v : odd)
    EXPECT_EQ(v, MISSING);
}

// Every group kind at and beside its ends: open ends exclude, closed ends and elements
// take the truncated value.
TEST(RecodeRule, EachGroupKindAtItsEnds) {
  RecodeRule rule = ruleOf(" { < -5 ; >= 9 ; 1 , (2,3] , [4,5) }");
  EXPECT_EQ(rule.cleanedText(), "{<-5;>=9;1,(2,3],[4,5)}");
  EXPECT_EQ(rule.position(), static_cast<int>(rule.cleanedText().size()));
  EXPECT_EQ(recoded(rule, {-6, -5.5, -5, 8.5, 9, 9.5, 1, 1.5, 2, 2.5, 3, 4, 5}),
            (std::vector<double>{1, 1, M, M, 2, 2, 3, 3, M, 3, 3, 3, M}));
  EXPECT_EQ(recoded(ruleOf("{<=-3;>7}"), {-3, -3.5, -2.5, 7, 7.5}),
            (std::vector<double>{1, 1, M, M, 2}));

  // A ';' right before '}' adds no group.
  EXPECT_EQ(ruleOf("{1;}").groupCount(), 1);
}

TEST(RecodeRule, EllipsisExpansion) {
  RecodeRule deciles = ruleOf("{[0,10);...;[90,100)}");
  ASSERT_EQ(deciles.groupCount(), 10);
  EXPECT_EQ(recoded(deciles, {15, 90, 99.5, 0, 9.99, 10, 19.5, 20, 39.9, 40, 45, 89.9, 100, -1}),
            (std::vector<double>{2, 10, 10, 1, 1, 2, 2, 3, 4, 5, 5, 9, M, M}));

  // Closed at the high end. Elements match the truncated value, so 5.5 still falls
  // in (0,5] through its truncation 5.
  RecodeRule upper = ruleOf("{(0,5];...;(20,25];>25}");
  ASSERT_EQ(upper.groupCount(), 6);
  EXPECT_EQ(recoded(upper, {0, 0.5, 5, 5.5, 7.5, 10, 12.5, 20, 20.5, 25, 26}),
            (std::vector<double>{M, 1, 1, 1, 2, 2, 3, 4, 4, 5, 6}));

  // Two expansions, and groups after them renumbered.
  RecodeRule two = ruleOf("{<0;[0,2);...;[4,6);[10,12);...;[16,18);99}");
  ASSERT_EQ(two.groupCount(), 9);
  EXPECT_EQ(recoded(two, {-1, 1, 3, 5, 11, 13, 15, 17, 99, 8}),
            (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, M}));

  // A span that is not a whole number of widths leaves a copy overlapping the end.
  EXPECT_EQ(errorOf("{[0,10);...;[95,105)}"), "Range: ([90]-[100]) overlaps ([95]-[105])\n");
  // Nothing to copy when the ending group starts right after the leading one.
  EXPECT_EQ(ruleOf("{[0,10);...;[10,20)}").groupCount(), 2);
}

TEST(RecodeRule, EllipsisFailures) {
  EXPECT_EQ(errorOf("{...;[0,10)}"), "'...' must follow a range-group.\n{...;[0,10)}\n-^");
  EXPECT_EQ(errorOf("{[0,10);...}"), "Ending group of '...' 1 expected");
  EXPECT_EQ(errorOf("{5;...;[90,100)}"), "Leading group of '...' 1 invalid");
  EXPECT_EQ(errorOf("{[0,10),50;...;[90,100)}"), "Enum expected for '...' 1.");
  EXPECT_EQ(errorOf("{[0,10);...;95}"), "Range expected for '...' 1.");
  EXPECT_EQ(ruleOf("{[0,1);...;[48,49);50}").groupCount(), 50);
  // A huge span stops at the group limit instead of making copies for ever.
  EXPECT_EQ(errorOf("{[-2000000000,-1999999999);...;>2000000000}"),
            "MAX_GROUP 50 is too small (Tell the authors)");
  // Copies past the 32-bit range are clamped, and then overlap the ending group.
  EXPECT_EQ(errorOf("{[0,2000000000);...;[2100000000,2100000001)}"),
            "Range: ([2000000000]-[2147483647]) overlaps ([2100000000]-[2100000001])\n");
}

TEST(RecodeRule, ConsistencyMessages) {
  EXPECT_EQ(errorOf("{[0,10];[10,20]}"), "Group: 1 and 2 have common element(s)\n");
  EXPECT_EQ(errorOf("{1;2;0,3;1}"), "Group: 1 and 4 have common element(s)\n");
  EXPECT_EQ(errorOf("{[0,10];[5,15]}"), "Range: ([0]-[10]) overlaps ([5]-[15])\n");
  EXPECT_EQ(errorOf("{(0,100);(20,30)}"), "Range: ([0]-[100]) overlaps ([20]-[30])\n");
  EXPECT_EQ(errorOf("{(0,10);(0,10)}"), "Range: ([0]-[10]) overlaps ([0]-[10])\n");
  EXPECT_EQ(errorOf("{<5;>3}"), "Range: ([-2147483648]-[5]) overlaps ([3]-[2147483647])\n");
  // Touching open intervals and empty intervals do not overlap.
  EXPECT_EQ(ruleOf("{(0,10);(10,20);(5,5)}").groupCount(), 3);
  RecodeRule rule;
  EXPECT_FALSE(rule.parse("{1;1}"));
  EXPECT_EQ(rule.position(), -1);
}

TEST(RecodeRule, SyntaxMessagesWithMarkerLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"1;2", "Empty rule\n1;2\n^"},
      {"{1;;2}", "> Number < ( [ or } expected.\n{1;;2}\n---^"},
      {"{>= x}", "Value expected.\n{>=X}\n---^"},
      {"{[1", "Value expected\n{[1\n---^"},
      {"{[1;2]}", ", expected\n{[1;2]}\n---^"},
      {"{[1,]}", "Number expected\n{[1,]}\n----^"},
      {"{[1,2}", "] or ) expected\n{[1,2}\n-----^"},
      {"{[1,2]3}", ", ; or } expected\n{[1,2]3}\n------^"},

      {"{[1,2],x}", "( [ or a value expected\n{[1,2],X}\n-------^"},
      {"{1,;2}", "( [ or a number expected\n{1,;2}\n---^"},
      {"{1x}", "; , or } expected.\n{1X}\n--^"},
      {"{<1,2}", "; or } expected.\n{<1,2}\n---^"},
      {"{1;2", ", ; or } expected.\n{1;2\n----^"},
      {"{1.2}",
       "Do you mean '...'? \nIf yes, give me enough dots.\nOtherwise, remove this dot.\n"
       "{1.2}\n--^"},
      {"{1;..;2}", "If you're trying to use '...', please give me enough dots.\n{1;..;2}\n---^"},
      {"{1;2}x", "***Unrecognized character\n{1;2}X\n-----^"}};
  for (const auto& [text, message] : cases)
    EXPECT_EQ(errorOf(text), message) << text;

  RecodeRule rule;
  EXPECT_FALSE(rule.parse("{1x}"));
  EXPECT_EQ(rule.position(), 2);
}

TEST(RecodeRule, IntegerConversionFailures) {
  const std::pair<const char*, const char*> cases[] = {
      {"{<-}", "Invalid integer \"-\"\n"}, {"{2147483648}", "Invalid integer \"2147483648\"\n"}};
  for (const auto& [text, message] : cases) {
    RecodeRule rule;
    EXPECT_THROW(rule.parse(text), InvalidConversionException) << text;
    EXPECT_EQ(rule.errorText(), message) << text;
    EXPECT_EQ(rule.groupCount(), 0);
  }
  EXPECT_EQ(ruleOf("{-2147483648;+2147483647}").groups()[0].elements,
            (std::set<std::int32_t>{INT32_MIN}));
}

TEST(RecodeRule, TruncationAndSetMissingOnOneGroup) {
  const RecodeRule rule = ruleOf("{[1,5]}");
  const std::vector<double> in{0, 1, 3, 5, 6, 5.5, 0.5, -1, MISSING};
  EXPECT_EQ(recoded(rule, in), (std::vector<double>{M, 1, 3, 5, M, 5.5, M, M, M}));
  EXPECT_EQ(recoded(rule, in, true), (std::vector<double>{0, M, M, M, 6, M, 0.5, -1, M}));
  // Only records fromRec..toRec (1-based, inclusive) change.
  EXPECT_EQ(recoded(rule, {0, 0, 2, 0, 0}, false, 2), (std::vector<double>{0, M, 2, M, 0}));
  // A rule without groups leaves the column alone.
  EXPECT_EQ(recoded(RecodeRule(), {1, 2}), (std::vector<double>{1, 2}));
}

}  // namespace
}  // namespace tessary
