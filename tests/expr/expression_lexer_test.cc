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
    EXPECT_EQ(scanner.scanComparison(), c.token) << c.text;
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

TEST(ExpressionLexer, PrecedenceTable) {
  ExpressionParser parser;
  for (const char* op : {"_", "!", "^", "@"})
    EXPECT_EQ(parser.precedence(op), 400) << op;
  for (const char* op : {"*", "/", "%"})
    EXPECT_EQ(parser.precedence(op), 200) << op;
  for (const char* op : {"+", "-"})
    EXPECT_EQ(parser.precedence(op), 100) << op;
  for (const char* op : {"<", ">", "{", "}"})
    EXPECT_EQ(parser.precedence(op), 70) << op;
  for (const char* op : {"=", "#"})
    EXPECT_EQ(parser.precedence(op), 53) << op;
  EXPECT_EQ(parser.precedence("&"), 51);
  EXPECT_EQ(parser.precedence("|"), 50);
  EXPECT_EQ(parser.precedence(","), 500);
  EXPECT_EQ(parser.precedence("ROUND"), 500);
  for (const char* op : {"(", ":", "\\", "A", "MAX"})
    EXPECT_EQ(parser.precedence(op), 0) << op;
}

TEST(ExpressionLexer, FunctionTable) {
  const FunctionTable& all = builtInFunctions(true);
  const FunctionTable& plain = builtInFunctions(false);
  EXPECT_EQ(all.size(), 65u);
  EXPECT_EQ(plain.size(), 41u);

  const std::pair<const char*, int> counts[] = {
      {"ALLMISSED", 0}, {"BOUNDING", 3},   {"CCOUNTON", 2}, {"CERRON", 3},  {"COUNT", 0},
      {"ENCODE", 2},    {"IIF", 3},        {"LOOKUP", 2},   {"NA", 0},      {"ROUND", 2},
      {"SEG", 3},       {"SETMISSING", 2}, {"WCMEANON", 4}, {"WCSUMBY", 3}, {"WSUM", 2},
  };
  for (const auto& [name, parameters] : counts) {
    ASSERT_EQ(all.count(name), 1u) << name;
    EXPECT_EQ(all.at(name), parameters) << name;
  }

  // Cluster-only entries appear only in the full table; the ...ON family in both.
  for (const char* name : {"CCOUNT", "CMEAN", "CSERIALBY", "CGET", "ICOUNT", "LCOUNT", "RCOUNT",
                           "WCSUM", "WCMEANBY"}) {
    EXPECT_EQ(all.count(name), 1u) << name;
    EXPECT_EQ(plain.count(name), 0u) << name;
  }
  for (const char* name : {"CMEANON", "CSUMON", "WCSUMON", "CCOUNTON", "MIN", "PCTL"})
    EXPECT_EQ(plain.count(name), 1u) << name;
  EXPECT_EQ(all.count("MAX"), 0u);

  ExpressionParser withCluster(true);
  ExpressionParser withoutCluster(false);
  EXPECT_TRUE(withCluster.isFunction("CSUM"));
  EXPECT_FALSE(withoutCluster.isFunction("CSUM"));
  EXPECT_FALSE(withCluster.isFunction("csum"));  // lookups are by upper-case name only
}

}  // namespace
}  // namespace tessary
