#include <gtest/gtest.h>

#include <string>

#include "expr/expression_parser.h"
#include "expr/postfix_view.h"
#include "frame/failure.h"

namespace tessary {
namespace {

std::string postfixOf(const std::string& text) {
  ExpressionParser parser;
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

TEST(ExpressionParser, PostfixOfOperatorExpressions) {
  EXPECT_EQ(postfixOf("-A+B"), "A _ B +");
  EXPECT_EQ(postfixOf("A--B"), "A B _ -");
  EXPECT_EQ(postfixOf("+A"), "A");
  EXPECT_EQ(postfixOf("A*(B+C)"), "A B C + *");
  EXPECT_EQ(postfixOf("A-B-C"), "A B - C -");
  EXPECT_EQ(postfixOf("2^3^2"), "2 3 ^ 2 ^");
  EXPECT_EQ(postfixOf("-2^2"), "2 _ 2 ^");
  EXPECT_EQ(postfixOf("A<B&C>D|E=F"), "A B < C D > & E F = |");
  EXPECT_EQ(postfixOf("a >= b"), "A B }");
  EXPECT_EQ(postfixOf("A=>B"), "A B }");
  EXPECT_EQ(postfixOf("A<=B | A=<B"), "A B { A B { |");
  EXPECT_EQ(postfixOf("A<>B"), "A B #");
  EXPECT_EQ(postfixOf("A!=B"), "A B #");
  EXPECT_EQ(postfixOf("A><B"), "A B #");
  EXPECT_EQ(postfixOf("A==B"), "A B =");
  EXPECT_EQ(postfixOf("A<-1"), "A 1 _ <");
  EXPECT_EQ(postfixOf("A#B"), "A#B");
  EXPECT_EQ(postfixOf("!A&B"), "A ! B &");
  EXPECT_EQ(postfixOf("A*B%C/D"), "A B * C % D /");
  EXPECT_EQ(postfixOf("A+B*C^D"), "A B C D ^ * +");
  EXPECT_EQ(postfixOf("x@{1,2;3}"), "X {1,2;3} @");
  EXPECT_EQ(postfixOf("REGION=\"North Coast\""), "REGION \"North Coast\" =");
  EXPECT_EQ(postfixOf("1.5E+3*.5"), "1.5E+3 .5 *");
  // A trailing comparison character is a one-character token; the evaluator reports
  // the missing operand.
  EXPECT_EQ(postfixOf("A<"), "A <");
}

TEST(ExpressionParser, PostfixOfFunctionCalls) {
  EXPECT_EQ(postfixOf("LOG(A)"), "A LOG");
  EXPECT_EQ(postfixOf("log(a)"), "A LOG");
  EXPECT_EQ(postfixOf("ROUND(A,2)"), "A 2 ROUND");
  EXPECT_EQ(postfixOf("COUNT()"), "COUNT");
  EXPECT_EQ(postfixOf("COUNT()*2"), "COUNT 2 *");
  EXPECT_EQ(postfixOf("LOG"), "LOG");
  EXPECT_EQ(postfixOf("LOG+1"), "LOG 1 +");
  EXPECT_EQ(postfixOf("IIF(A>0,LOG(A+1),-1)"), "A 0 > A 1 + LOG 1 _ IIF");
  EXPECT_EQ(postfixOf("ROUND(LOG(A*2),SQRT(B))+1"), "A 2 * LOG B SQRT ROUND 1 +");
  EXPECT_EQ(postfixOf("-LOG(A)"), "A LOG _");
  EXPECT_EQ(postfixOf("ENCODE(X,{<0;>=0})"), "X {<0;>=0} ENCODE");
  EXPECT_EQ(postfixOf("LOOKUP(X,\"tab\")"), "X \"tab\" LOOKUP");
  EXPECT_EQ(postfixOf("WCMEANON(A,W,B,2)"), "A W B 2 WCMEANON");
  // Commas inside grouping parentheses still count toward the enclosing call.
  EXPECT_EQ(postfixOf("ROUND((A,2))"), "A 2 ROUND");

  // Cluster functions are variables for an expression without them.
  ExpressionParser plain(false);
  ASSERT_TRUE(plain.parse("CSUM(A)"));
  EXPECT_EQ(postfixText(plain.postfix()), "CSUM A");
}

TEST(ExpressionParser, KindsAndExplanation) {
  ExpressionParser parser;
  ASSERT_TRUE(parser.parse("iif(x@{1;2}=\"a\",2,count())"));
  EXPECT_EQ(parser.postfixLength(), 8u);
  EXPECT_EQ(explainPostfix(parser.postfix()),
            "   1  V  X\n"
            "   2  R  {1;2}\n"
            "   3  O  @\n"
            "   4  S  \"a\"\n"
            "   5  O  =\n"
            "   6  C  2\n"
            "   7  F  COUNT\n"
            "   8  F  IIF\n");
  EXPECT_EQ(explainPostfix({}), "");
}

TEST(ExpressionParser, VariableNamesAreDistinctAndSorted) {
  ExpressionParser parser;
  ASSERT_TRUE(parser.parse("zeta+alpha*LOG(Zeta)-log+b#1"));
  const std::set<std::string> expected{"ALPHA", "B#1", "LOG", "ZETA"};
  EXPECT_EQ(parser.variableNames(), expected);
  ASSERT_TRUE(parser.parse("1+2"));
  EXPECT_TRUE(parser.variableNames().empty());
  EXPECT_EQ(parser.cleanedText(), "1+2");
}

TEST(ExpressionParser, LexicalMessagesComeThroughParse) {
  EXPECT_EQ(messageOf("1.2.3+A"), "Syntax Error in number specification. Improper '.' found.\n");
  EXPECT_EQ(messageOf("A*1E5E2"),
            "Syntax Error in number specification. More than one exponential found.\n");
  EXPECT_EQ(messageOf("A+1E"), "Syntax Error: no exponential part.\n");
  EXPECT_EQ(messageOf("1EX"), "Error in exponential specification\n");
  EXPECT_EQ(messageOf("1E5.2"), "Syntax Error in number specification. Improper '.' found.\n");
  EXPECT_EQ(messageOf("A+."), "Error: decimal alone.\n");
  EXPECT_EQ(messageOf("A=\"abc"), "Syntax Error: constant string incomplete\n");
}

TEST(ExpressionParser, SyntaxMessages) {
  EXPECT_EQ(messageOf("COUNT(1)"), "Incomplete expression: COUNT doesn't accept any parameters.");
  EXPECT_EQ(messageOf("COUNT("), "Incomplete expression: COUNT needs )\n");
  EXPECT_EQ(messageOf("A+LOG("), "Incomplete expression: LOG needs parameter(s)\n");
  EXPECT_EQ(messageOf("LOG()"), "LOG needs 1 parameter(s).\n");
  EXPECT_EQ(messageOf("ROUND(,2)"), "ROUND needs 2 parameter(s).\n");
  EXPECT_EQ(messageOf("ROUND(A)"),
            "Syntax Error: Function ROUND needs 2 parameter(s)\n1 expected.\n");
  EXPECT_EQ(messageOf("SEG(A)"), "Syntax Error: Function SEG needs 3 parameter(s)\n2 expected.\n");
  EXPECT_EQ(messageOf("LOG(A,B)"),
            "Syntax Error: Function LOG needs 1 parameter(s) only.\n1 more.\n");
  EXPECT_EQ(messageOf("ROUND(A,B,C,D)"),
            "Syntax Error: Function ROUND needs 2 parameter(s) only.\n2 more.\n");
  EXPECT_EQ(messageOf("ROUND(A,)"), "parameter expected.\n");
  EXPECT_EQ(messageOf("ROUND(A,,2)"), "parameter expected.\n");
  EXPECT_EQ(messageOf("ROUND(A,"), "parameter expected.\n");
  EXPECT_EQ(messageOf(")A("), "Syntax Error: \"(\" expected\n");
  EXPECT_EQ(messageOf("(A"), "Syntax Error: Parenthesis not match\n");
  EXPECT_EQ(messageOf("A,B"), "Syntax Error: \"(\" expected\n");
  EXPECT_EQ(messageOf("*A"), "Syntax Error: operand expected\n");
  EXPECT_EQ(messageOf("A+/B"), "Syntax Error: operand expected\n");
  EXPECT_EQ(messageOf("(^A)"), "Syntax Error: operand expected\n");
  EXPECT_EQ(messageOf("!=A"), "Syntax Error: operand expected\n");
  EXPECT_EQ(messageOf("A!B"), "Syntax Error: operand expected after !(NOT) operator\n");
  EXPECT_EQ(messageOf("A&!"), "Syntax Error: operand expected after !(NOT) operator\n");
  EXPECT_EQ(messageOf("A ? B"), "Unrecognized character ?");
  EXPECT_EQ(messageOf("A:B"), "Unrecognized character :");
  EXPECT_EQ(messageOf("A\\B"), "Unrecognized character \\");
  EXPECT_EQ(messageOf("x@{1,2"), "Recode/Trunc rule incomplete\n");
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
  try {
    stack.pop();
    ADD_FAILURE() << "pop of an empty stack";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.text(), "Fatal Error: stack underflow\n");
  }
}

TEST(ExpressionParser, ReparseStartsAfresh) {
  ExpressionParser parser;
  EXPECT_THROW(parser.parse("ROUND(A"), Failure);
  EXPECT_EQ(parser.errorMessage(), "Syntax Error: Parenthesis not match\n");
  ASSERT_TRUE(parser.parse("B"));
  EXPECT_EQ(parser.errorCount(), 0);
  EXPECT_EQ(parser.errorMessage(), "");
  EXPECT_EQ(postfixText(parser.postfix()), "B");
  EXPECT_TRUE(parser.parse(nullptr, 0));
  EXPECT_EQ(parser.postfixLength(), 0u);
}

}  // namespace
}  // namespace tessary
