#include <gtest/gtest.h>

#include <string>

#include "expr/expression_parser.h"
#include "expr/postfix_view.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "test_support.h"

namespace tessary {
namespace {

std::string postfixOf(const std::string& text, bool withCluster = true) {
  ExpressionParser parser(withCluster);
  EXPECT_TRUE(parser.parse(text)) << text;
  return postfixText(parser.postfix());
}

// The message a failing parse raises; it must also be the stored error text.
std::string messageOf(const std::string& text) {
  ExpressionParser parser;
  try {
    parser.parse(text);
  } catch (const Failure& failure) {
    EXPECT_EQ(parser.errorMessage(), failure.text()) << text;
    EXPECT_EQ(parser.errorCount(), 1) << text;
    return failure.text();
  }
  ADD_FAILURE() << "parsed without error: " << text;
  return "";
}

TEST(ExpressionParser, CleaningDropsBlanksAndUpperCasesOutsideStrings) {
  EXPECT_EQ(cleanExpressionText(" a\t+\r\nb "), "A+B");
  // An unclosed constant is copied verbatim to the end.
  EXPECT_EQ(cleanExpressionText("a=\"b c"), "A=\"b c");
  // Other control characters survive cleaning; the parser rejects them.
  EXPECT_EQ(cleanExpressionText(std::string("a\x01", 2)), std::string("A\x01", 2));
}

TEST(ExpressionParser, Postfix) {
  const std::pair<const char*, const char*> cases[] = {
      {"-A+B", "A _ B +"},
      {"A--B", "A B _ -"},
      {"+A", "A"},
      {"A*(B+C)", "A B C + *"},
      {"A-B-C", "A B - C -"},
      {"2^3^2", "2 3 ^ 2 ^"},
      {"-2^2", "2 _ 2 ^"},
      {"A<B&C>D|E=F", "A B < C D > & E F = |"},
      {"a >= b | A=>B", "A B } A B } |"},
      {"A<=B | A=<B", "A B { A B { |"},
      {"A<>B | A!=B | A><B", "A B # A B # | A B # |"},
      {"A==B", "A B ="},
      {"A<-1", "A 1 _ <"},
      {"a#b_$9+1", "A#B_$9 1 +"},  // '#', '_' and '$' are name characters
      {"!A&B", "A ! B &"},
      {"A+B*C^D", "A B C D ^ * +"},
      {"REGION=\"North Coast\"", "REGION \"North Coast\" ="},
      {"1.5E+3*.5+5.+1D+3", "1.5E+3 .5 * 5. + 1D+3 +"},
      // A trailing comparison character is a one-character token; the evaluator
      // reports the missing operand.
      {"A<", "A <"},
      {"COUNT()*2", "COUNT 2 *"},
      {"LOG+1", "LOG 1 +"},  // a function name without '(' is a variable
      {"IIF(A>0,LOG(A+1),-1)", "A 0 > A 1 + LOG 1 _ IIF"},
      {"ROUND(LOG(A*2),SQRT(B))+1", "A 2 * LOG B SQRT ROUND 1 +"},
      // Commas inside grouping parentheses still count toward the enclosing call.
      {"ROUND((A,2))", "A 2 ROUND"}};
  for (const auto& [text, postfix] : cases)
    EXPECT_EQ(postfixOf(text), postfix) << text;
  // Cluster functions are variables for an expression without them.
  EXPECT_EQ(postfixOf("CSUM(A)", false), "CSUM A");
}

// Variables are numbered in order of first use, each once.
TEST(ExpressionParser, VariablesAndElementwiseForms) {
  ExpressionParser parser;
  ASSERT_TRUE(parser.parse("iif(x@{1;2}=\"a\",2,count())+LOOKUP(y,\"t\")*x"));
  EXPECT_EQ(parser.variables(), (std::vector<std::string>{"X", "Y"}));
  EXPECT_EQ(parser.postfix()[11].variable, 0u);
  EXPECT_FALSE(parser.elementwise());
  ASSERT_TRUE(parser.parse("IIF(A>0,LOG(A),COUNT())"));
  EXPECT_TRUE(parser.elementwise());
}

// Plain forms are the standard conversion's (and their values show in the evaluator's
// tests); these are the exponent letter D and the ends of the range.
TEST(ExpressionParser, ConstantsAreConvertedOnce) {
  const std::pair<const char*, double> cases[] = {{"1D+3", 1000},
                                                  {"1E999", MISSING},
                                                  {"1E-999", 0},
                                                  {"4.9E-324", 4.9e-324},
                                                  {"0.000001E309", 1e303}};
  for (const auto& [text, value] : cases) {
    ExpressionParser parser;
    ASSERT_TRUE(parser.parse(text));
    EXPECT_EQ(parser.postfix().front().constant, value) << text;
  }
}

TEST(ExpressionParser, Messages) {
  const std::pair<const char*, const char*> cases[] = {
      {"1.2.3+A", "Syntax Error in number specification. Improper '.' found.\n"},
      {"A*1E5E2", "Syntax Error in number specification. More than one exponential found.\n"},
      {"A+1E", "Syntax Error: no exponential part.\n"},
      {"1EX", "Error in exponential specification\n"},
      {"A+.", "Error: decimal alone.\n"},
      {"A=\"abc", "Syntax Error: constant string incomplete\n"},
      {"COUNT(1)", "Incomplete expression: COUNT doesn't accept any parameters."},
      {"COUNT(", "Incomplete expression: COUNT needs )\n"},
      {"A+LOG(", "Incomplete expression: LOG needs parameter(s)\n"},
      {"LOG()", "LOG needs 1 parameter(s).\n"},
      {"ROUND(,2)", "ROUND needs 2 parameter(s).\n"},
      {"ROUND(A)", "Syntax Error: Function ROUND needs 2 parameter(s)\n1 expected.\n"},
      {"LOG(A,B)", "Syntax Error: Function LOG needs 1 parameter(s) only.\n1 more.\n"},
      {"ROUND(A,)", "parameter expected.\n"},

      {")A(", "Syntax Error: \"(\" expected\n"},
      {"(A", "Syntax Error: Parenthesis not match\n"},
      {"*A", "Syntax Error: operand expected\n"},
      {"A!B", "Syntax Error: operand expected after !(NOT) operator\n"},
      {"A ? B", "Unrecognized character ?"},
      {"x@{1,2", "Recode/Trunc rule incomplete\n"}};
  for (const auto& [text, message] : cases)
    EXPECT_EQ(messageOf(text), message) << text;
}

TEST(ExpressionParser, StackLimits) {
  // Grouped operands need no operator, so each one is a separate output entry.
  std::string operands;
  for (int i = 0; i < 256; ++i)
    operands += "(A)";
  ExpressionParser parser;
  EXPECT_TRUE(parser.parse(operands));
  EXPECT_EQ(parser.postfixLength(), 256u);
  EXPECT_EQ(messageOf(operands + "(B)"), "Fatal Error: parser stack overflow, can't push");
  // 256 open parentheses fill the operator stack; the next push overflows.
  EXPECT_EQ(messageOf(std::string(256, '(') + "A"), "Syntax Error: Parenthesis not match\n");
  EXPECT_EQ(messageOf(std::string(257, '(') + "A"),
            "Fatal Error: parser stack overflow, can't push");
  StepStack stack;
  EXPECT_EQ(testing::failureText([&] { stack.pop(); }), "Fatal Error: stack underflow\n");
}

TEST(ExpressionParser, ReparseStartsAfresh) {
  ExpressionParser parser;
  EXPECT_THROW(parser.parse("ROUND(A"), Failure);
  ASSERT_TRUE(parser.parse("B"));
  EXPECT_EQ(parser.errorCount(), 0);
  EXPECT_EQ(parser.errorMessage(), "");
  EXPECT_EQ(postfixText(parser.postfix()), "B");
  EXPECT_TRUE(parser.parse(nullptr, 0));
  EXPECT_EQ(parser.postfixLength(), 0u);
}

TEST(ExpressionParser, FunctionTable) {
  // Cluster-only entries are found only with the cluster functions; the ON family always.
  for (const char* name :
       {"CCOUNT", "CMEAN", "CSERIALBY", "CGET", "ICOUNT", "LCOUNT", "RCOUNT", "WCSUM", "WCMEANBY"})
    EXPECT_TRUE(findFunction(name, true) && !findFunction(name, false)) << name;
  for (const char* name : {"CMEANON", "CSUMON", "WCSUMON", "CCOUNTON", "MIN", "PCTL"})
    EXPECT_NE(findFunction(name, false), nullptr) << name;
  EXPECT_EQ(findFunction("MAX", true), nullptr);
  EXPECT_EQ(findFunction("csum", true), nullptr);  // lookups are by upper-case name only
}

}  // namespace
}  // namespace tessary
