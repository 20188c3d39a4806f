#include <gtest/gtest.h>

#include <string>

#include "expr/expression_parser.h"
#include "expr/expression_scanner.h"
#include "expr/function_table.h"
#include "frame/failure.h"

namespace tessary {
namespace {

// Scans one number from the cleaned `text` and returns it, or the failure text.
std::string numberOrMessage(const std::string& text) {
  ExpressionScanner scanner;
  scanner.reset(text);
  try {
    return scanner.scanNumber();
  } catch (const Failure& failure) {
    return "failed: " + failure.text();
  }
}

TEST(ExpressionLexer, CleaningDropsBlanksAndUpperCasesOutsideStrings) {
  EXPECT_EQ(cleanExpressionText("ln(x)"), "LN(X)");
  EXPECT_EQ(cleanExpressionText("LN(X)"), "LN(X)");
  EXPECT_EQ(cleanExpressionText(" a\t+\r\nb "), "A+B");
  EXPECT_EQ(cleanExpressionText("lookup(x, \"My table\")"), "LOOKUP(X,\"My table\")");
  // An unclosed constant is copied verbatim to the end.
  EXPECT_EQ(cleanExpressionText("a=\"b c"), "A=\"b c");
  // Other control characters survive cleaning; the parser rejects them.
  EXPECT_EQ(cleanExpressionText(std::string("a\x01", 2)), std::string("A\x01", 2));
  EXPECT_EQ(cleanExpressionText(""), "");
}

TEST(ExpressionLexer, CharacterClasses) {
  for (char c : std::string("AZ_#$"))
    EXPECT_TRUE(isNameStart(c)) << c;
  for (char c : std::string("a09.@"))
    EXPECT_FALSE(isNameStart(c)) << c;
  EXPECT_TRUE(isNameContinuation('7'));
  EXPECT_TRUE(isNumberStart('.'));
  EXPECT_FALSE(isNumberStart('E'));
}

TEST(ExpressionLexer, NumbersAndTheirMessages) {
  EXPECT_EQ(numberOrMessage(".5"), ".5");
  EXPECT_EQ(numberOrMessage("5."), "5.");
  EXPECT_EQ(numberOrMessage("1E5"), "1E5");
  EXPECT_EQ(numberOrMessage("1E-5+A"), "1E-5");
  EXPECT_EQ(numberOrMessage("1D+3"), "1D+3");
  EXPECT_EQ(numberOrMessage("12*A"), "12");
  EXPECT_EQ(numberOrMessage("1.2.3"),
            "failed: Syntax Error in number specification. Improper '.' found.\n");
  EXPECT_EQ(numberOrMessage("1E5E2"),
            "failed: Syntax Error in number specification. More than one exponential found.\n");
  EXPECT_EQ(numberOrMessage("1E"), "failed: Syntax Error: no exponential part.\n");
  EXPECT_EQ(numberOrMessage("1EX"), "failed: Error in exponential specification\n");
  EXPECT_EQ(numberOrMessage("1E5.2"),
            "failed: Syntax Error in number specification. Improper '.' found.\n");
  EXPECT_EQ(numberOrMessage("."), "failed: Error: decimal alone.\n");
  EXPECT_EQ(numberOrMessage(".+1"), "failed: Error: decimal alone.\n");
}

TEST(ExpressionLexer, ComparisonPairsMapToInternalTokens) {
  struct Case {
    const char* text;
    const char* token;
    std::size_t cursorAfter;
  };
  const Case cases[] = {
      {">=B", "}", 2}, {"=>B", "}", 2}, {"<=B", "{", 2}, {"=<B", "{", 2},
      {"==B", "=", 2}, {"!=B", "#", 2}, {"<>B", "#", 2}, {"><B", "#", 2},
      {"<-1", "<", 1}, {"=B", "=", 1},  {"<", "<", 1},   {">", ">", 1},
  };
  for (const Case& c : cases) {
    ExpressionScanner scanner;
    scanner.reset(c.text);
    EXPECT_EQ(std::string(1, symbol(scanner.scanComparison())), c.token) << c.text;
    EXPECT_EQ(scanner.cursor(), c.cursorAfter) << c.text;
  }
}

TEST(ExpressionLexer, IdentifiersAndStrings) {
  ExpressionScanner scanner;
  scanner.reset("a#b_$9+1");
  EXPECT_EQ(scanner.scanIdentifier(), "A#B_$9");
  EXPECT_EQ(scanner.peek(), '+');

  scanner.reset("\"Ab c\"+1");
  EXPECT_EQ(scanner.scanString('"'), "\"Ab c\"");
  EXPECT_EQ(scanner.cursor(), 6u);
  scanner.reset("\"Ab c");
  EXPECT_EQ(scanner.scanString('"'), "ERR");
}

TEST(ExpressionLexer, OperatorPriorities) {
  const std::pair<Operator, int> priorities[] = {
      {Operator::kNegate, 400},
      {Operator::kNot, 400},
      {Operator::kPower, 400},
      {Operator::kApplyRule, 400},
      {Operator::kMultiply, 200},
      {Operator::kDivide, 200},
      {Operator::kRemainder, 200},
      {Operator::kAdd, 100},
      {Operator::kSubtract, 100},
      {Operator::kLess, 70},
      {Operator::kGreater, 70},
      {Operator::kLessOrEqual, 70},
      {Operator::kGreaterOrEqual, 70},
      {Operator::kEqual, 53},
      {Operator::kNotEqual, 53},
      {Operator::kAnd, 51},
      {Operator::kOr, 50},
      {Operator::kOpenParenthesis, 0},
  };
  for (const auto& [op, expected] : priorities)
    EXPECT_EQ(priority(op), expected) << symbol(op);
}

TEST(ExpressionLexer, FunctionTable) {
  std::size_t all = 0;
  std::size_t plain = 0;
  for (const FunctionSpec& function : builtInFunctions()) {
    all += findFunction(function.name, true) != nullptr;
    plain += findFunction(function.name, false) != nullptr;
  }
  EXPECT_EQ(all, 65u);
  EXPECT_EQ(plain, 41u);

  const std::pair<const char*, int> counts[] = {
      {"ALLMISSED", 0}, {"BOUNDING", 3},   {"CCOUNTON", 2}, {"CERRON", 3},  {"COUNT", 0},
      {"ENCODE", 2},    {"IIF", 3},        {"LOOKUP", 2},   {"NA", 0},      {"ROUND", 2},
      {"SEG", 3},       {"SETMISSING", 2}, {"WCMEANON", 4}, {"WCSUMBY", 3}, {"WSUM", 2},
  };
  for (const auto& [name, parameters] : counts) {
    ASSERT_NE(findFunction(name, true), nullptr) << name;
    EXPECT_EQ(findFunction(name, true)->parameters, parameters) << name;
  }

  // Cluster-only entries are found only with the cluster functions; the ...ON family
  // always.
  for (const char* name : {"CCOUNT", "CMEAN", "CSERIALBY", "CGET", "ICOUNT", "LCOUNT", "RCOUNT",
                           "WCSUM", "WCMEANBY"}) {
    EXPECT_NE(findFunction(name, true), nullptr) << name;
    EXPECT_EQ(findFunction(name, false), nullptr) << name;
  }
  for (const char* name : {"CMEANON", "CSUMON", "WCSUMON", "CCOUNTON", "MIN", "PCTL"})
    EXPECT_NE(findFunction(name, false), nullptr) << name;
  EXPECT_EQ(findFunction("MAX", true), nullptr);
  EXPECT_EQ(findFunction("csum", true), nullptr);  // lookups are by upper-case name only
}

}  // namespace
}  // namespace tessary
