#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "data_fixture.h"
#include "expr/evaluator.h"

namespace tessary {
namespace {

using testing::EvalDataSet;
using testing::failureText;
using testing::sameValues;

const double M = MISSING;

TEST(Evaluator, ConstantsOperatorsAndMissingValues) {
  EvalDataSet set(4);
  set.add("X", {2, M, -3, 0});
  set.add("Y", {1, 1, M, 4});
  EXPECT_VALUES(set.eval("1+2"), ({3, 3, 3, 3}));
  EXPECT_VALUES(set.eval("X>1"), ({1, 0, 0, 0}));
  EXPECT_VALUES(set.eval("X=X"), ({1, 1, 1, 1}));
  EXPECT_VALUES(set.eval("!X"), ({0, 0, 0, 1}));
  EXPECT_VALUES(set.eval("X!=2"), ({0, 1, 1, 1}));
  EXPECT_VALUES(set.eval("X>=2"), ({1, 0, 0, 0}));
  EXPECT_VALUES(set.eval("X<=0"), ({0, 0, 1, 1}));
  EXPECT_VALUES(set.eval("X<Y"), ({0, 0, 0, 1}));
  EXPECT_VALUES(set.eval("X&Y"), ({1, 1, 1, 0}));
  EXPECT_VALUES(set.eval("X|0"), ({1, 1, 1, 0}));
  EXPECT_VALUES(set.eval("-X+Y*2"), ({0, M, M, 8}));
  EXPECT_VALUES(set.eval("X/Y"), ({2, M, 0, 0}));
  EXPECT_VALUES(set.eval("2^X"), ({4, M, 0.125, 1}));
  EXPECT_VALUES(set.eval("(X*7)%4"), ({2, M, -1, 0}));
  EXPECT_VALUES(set.eval("X%0"), ({M, M, M, M}));
  EXPECT_VALUES(set.eval("1D1+.5"), ({10.5, 10.5, 10.5, 10.5}));
  // A domain error reads as missing in later finite tests.
  EXPECT_VALUES(set.eval("SQRT(X)>0"), ({1, 0, 0, 0}));
}

TEST(Evaluator, StackAndOperandMessages) {
  EvalDataSet set(2);
  set.add("X", {1, 2});
  EXPECT_EQ(set.error("X+(X+(X+(X+(X+(X+(X+(X+(X+(X+X)))))))))"),
            "ERROR: stack overflow, contact with techni\n");
  EXPECT_VALUES(set.eval("X+(X+(X+(X+(X+(X+(X+(X+(X+X))))))))"), ({10, 20}));
  EXPECT_EQ(set.error("<X"), "Expression invalid: missing operand\n");
  // A rule in a parameter's place gives the function one operand too few.
  EXPECT_EQ(set.error("IIF(1,{1},2)"), "ERROR: IIF needs parameter(s)\n2 found\n3 expected");
  EXPECT_EQ(set.error("{1}"), "Expression invalid: operand expected\n");

  EXPECT_EQ(set.error("ROUND(X,X)"), "ERROR: The 2nd param of ROUND() must be a constant");
  EXPECT_EQ(set.error("X@(1)"), "ERROR: Recode/Trunc RULE expected\n");

  // A result buffer must hold a whole column; the message is kept as the expression's.
  std::vector<double> out(2);
  ExpressionParser single;
  single.parse("X");
  EXPECT_EQ(failureText([&] {
              evaluate(single, set.data, std::span<double>(out.data(), 1), nullptr, 1, 2, nullptr);
            }),
            "The result buffer holds 1 values, fewer than 2.\n");
  EXPECT_EQ(single.errorMessage(), "The result buffer holds 1 values, fewer than 2.\n");
}

TEST(Evaluator, RoundSegIntAndMissingInputs) {
  EvalDataSet set(3);
  set.add("X", {2.346, -2.5, M});
  EXPECT_VALUES(set.eval("ROUND(X,2)"), ({2.35, -2.49, M}));
  EXPECT_VALUES(set.eval("ROUND(1234,-2)"), ({1200, 1200, 1200}));
  EXPECT_VALUES(set.eval("SEG(123456,4,2)"), ({34, 34, 34}));
  EXPECT_VALUES(set.eval("SEG(X*1000,3,1)"), ({3, -5, M}));
  EXPECT_EQ(set.error("SEG(X,2,3)"), "Invalid start or length");
  EXPECT_EQ(set.error("SEG(X,X,1)"), "Contants expected.");
  EXPECT_VALUES(set.eval("INT(X*-1)"), ({-2, 2, M}));
  EXPECT_VALUES(set.eval("X%2"), ({0, 0, M}));
  EXPECT_VALUES(set.eval("BOUNDING(X,-1,2)"), ({2, -1, M}));
  EXPECT_EQ(set.error("BOUNDING(X,X,1)"), "ERROR: Left-bound must be a constant.\n");
  EXPECT_EQ(set.error("BOUNDING(X,1,X)"), "ERROR: Right-bound must be a constant.\n");
  EXPECT_VALUES(set.eval("ISMISSING(X)+ABS(-1)"), ({1, 1, 2}));
  EXPECT_VALUES(set.eval("IIF(X>0,X,100)"), ({2.346, 100, 100}));
  EXPECT_VALUES(set.eval("IIF(0,1,X)"), ({2.346, -2.5, M}));
  EXPECT_VALUES(set.eval("NA()=X"), ({0, 0, 1}));
  EXPECT_VALUES(set.eval("COUNT()"), ({3, 3, 3}));
  EXPECT_VALUES(set.eval("EXP(LOG(4))+SIN(0)+COS(0)+ASIN(0)+ACOS(1)"), ({5, 5, 5}));
}

TEST(Evaluator, SequencesAndColumnSummaries) {
  EvalDataSet four(4);
  four.add("X", {5, 5, 7, 7});
  four.add("Y", {M, M, 3, M});
  four.add("W", {1, 3, M, 1});
  EXPECT_VALUES(four.eval("ISDUP(X)"), ({1, 1, 1, 1}));
  EXPECT_VALUES(four.eval("ISDUP(Y)"), ({M, M, 0, M}));
  EXPECT_VALUES(four.eval("ISFIRST(Y)"), ({0, 1, 0, 0}));

  EXPECT_VALUES(four.eval("MIN(X)"), ({5, 5, 5, 5}));
  EXPECT_VALUES(four.eval("SUM(X)+SUM(Y)"), ({27, 27, 27, 27}));
  EXPECT_VALUES(four.eval("MEAN(Y)"), ({0.75, 0.75, 0.75, 0.75}));
  EXPECT_VALUES(four.eval("WSUM(X,W)"), ({27, 27, 27, 27}));
  EXPECT_VALUES(four.eval("WMEAN(X,W)"), ({27.0 / 5, 27.0 / 5, 27.0 / 5, 27.0 / 5}));
  const double weights[] = {1, 3, M, 1};
  EXPECT_VALUES(four.eval("MEAN(X)", 1, 4, nullptr, weights), ({5.4, 5.4, 5.4, 5.4}));
  // Over records 2..4 only, with the weights of those records.
  EXPECT_VALUES(four.eval("MIN(X)+X", 2, 4), ({10, 12, 12}));
  EXPECT_VALUES(four.eval("MEAN(X)", 2, 4), ({19.0 / 3, 19.0 / 3, 19.0 / 3}));
  EXPECT_VALUES(four.eval("ISFIRST(X)", 2, 4), ({0, 0, 1}));
  EXPECT_VALUES(four.eval("X*10", 3, 3), ({70}));
}

TEST(Evaluator, PercentileResultsAndMessages) {
  EvalDataSet set(6);
  set.add("X", {3, 1, M, 2, 2, 10});
  EXPECT_VALUES(set.eval("PCTL(X,0)"), ({1, 1, 1, 1, 1, 1}));
  // Sorted 1,2,2,3,10 with W=5: 0.4·5 = 2 is reached by the run of twos (1+2 = 3).
  EXPECT_VALUES(set.eval("PCTL(X,0.4)"), ({2, 2, 2, 2, 2, 2}));
  EXPECT_VALUES(set.eval("PCTL(X,0.61)"), ({3, 3, 3, 3, 3, 3}));
  EXPECT_VALUES(set.eval("PCTL(X,1)"), ({10, 10, 10, 10, 10, 10}));
  const double weights[] = {1, 1, 1, 1, 1, 6};
  EXPECT_VALUES(set.eval("PCTL(X,0.5)", 1, 6, nullptr, weights), ({10, 10, 10, 10, 10, 10}));
  EXPECT_EQ(set.error("PCTL(X,1.5)"), "ERROR: percentile point must be within range [0,1].\n");
  EXPECT_EQ(set.error("PCTL(X,X)"), "ERROR: percentile point must be a constant.\n");
}

TEST(Evaluator, CategoricalVariablesLabelsAndRules) {
  EvalDataSet set(5);
  set.add("REGION", {1, 3, 3, M, 1}, 'C');
  set.add("X", {5, 15, 25, M, 105});
  set.labels("[REGION]\n1=North\n3=South\n");
  LabelMap labels;
  EXPECT_VALUES(set.eval("REGION=\"South\"", 1, 0, &labels), ({0, 1, 1, 0, 0}));
  EXPECT_TRUE(labels.empty());
  EXPECT_VALUES(set.eval("REGION", 1, 0, &labels), ({1, 3, 3, M, 1}));
  EXPECT_EQ(labels, (LabelMap{{1, "North"}, {3, "South"}}));
  EXPECT_EQ(set.error("REGION=\"East\""), "ERROR: Label \"East\" not found.\n");
  EXPECT_EQ(set.error("X=\"East\""), "ERROR: missing factor variable associated with\n\"East\"\n");
  EXPECT_EQ(set.error("REGION+X"),
            "Expression invalid: only * operation is valid for 2 categorical(s).\n");
  EXPECT_VALUES(set.eval("REGION+1"), ({2, 4, 4, M, 2}));
  EXPECT_VALUES(set.eval("VALUEOF(REGION)*2"), ({2, 6, 6, M, 2}));
  EXPECT_EQ(set.error("LOG(REGION)"), "ERROR: LOG(factor) is invalid");
  EXPECT_EQ(set.error("SUM(REGION)"), "ERROR: SUM(factor) is invalid");
  // The data array evaluator multiplies two categorical columns as plain numbers.
  EXPECT_VALUES(set.eval("REGION*REGION"), ({1, 9, 9, M, 1}));

  EXPECT_VALUES(set.eval("X@{<10;[10,20);>=20}", 1, 0, &labels), ({1, 2, 3, M, 3}));
  EXPECT_VALUES(set.eval("ENCODE(X,{5,25})"), ({5, M, 25, M, M}));
  EXPECT_VALUES(set.eval("SETMISSING(X,{[0,20]})"), ({M, M, 25, M, 105}));
  EXPECT_EQ(set.error("SETMISSING(X,{1;2})"), "ERROR: SetMissing() accepts only 1 group\n");
  EXPECT_VALUES(set.eval("FACTOR(X/5)=3"), ({0, 1, 0, 0, 0}));
  // Codes beyond 32 bits fail as beyond the levels, whatever the span.
  for (const char* text : {"CATEGORIZE(X*100000)", "FACTOR(1e109)", "FACTOR(X*0+3e9)"})
    EXPECT_EQ(set.error(text),
              "Categorization failed since\nthe value exceeding MAXLEVEL is found.")
        << text;
}

TEST(Evaluator, MaskFunctionsFollowTheBitmaps) {
  EvalDataSet set(10);
  set.add("A", {1, M, 3, 4, 5, 6, 7, 8, 9, M});
  set.add("B", {M, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  EXPECT_VALUES(set.eval("ALLMISSED()"), ({1, 1, 0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_VALUES(set.eval("ALLMISSED()", 9, 10), ({0, 1}));
  EXPECT_VALUES(set.eval("GMASK()"), ({0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // The global mask opens the value file: records 1, 3 and 10 set.
  {
    std::fstream values(set.dir.file("set.daD"), std::ios::in | std::ios::out | std::ios::binary);
    const char bits[2] = {0x05, 0x02};
    values.write(bits, 2);
  }
  EXPECT_VALUES(set.eval("GMASK()"), ({1, 0, 1, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_VALUES(set.eval("GMASK()|ALLMISSED()", 2, 4), ({1, 1, 0}));
}

TEST(CategoricalProduct, CodesAndLimits) {
  // Without labels the right operand's largest value sets the digit count; a zero
  // largest code still takes one digit.
  double zeros[] = {4, 5};
  const double none[] = {0, 0};
  const LabelMap labels = combineCategories(zeros, {}, none, {}, 2);
  EXPECT_TRUE(sameValues(std::vector<double>(zeros, zeros + 2), {40, 50}));
  EXPECT_EQ(labels, (LabelMap{{40, "4 * 0"}, {50, "5 * 0"}}));

  const double digits[] = {1, 99};
  const std::pair<std::vector<double>, const char*> failures[] = {
      {{1, 20000}, "The value exceeding MAXLEVEL is found."},
      {{1, 2.5}, "A decimal found."},
      {{-1, 2}, "Unknown error occured."},
  };
  for (auto [left, reason] : failures) {
    double* leftValues = left.data();  // clang cannot capture a structured binding
    EXPECT_EQ(failureText([&] { combineCategories(leftValues, {}, digits, {}, 2); }),
              std::string("The result of production on two categorical variables\n") + reason);
  }
}

TEST(Evaluator, ElementwiseExpressionsRunInBlocksWithTheSameValues) {
  // Records spanning several slices; MIN(0) adds zero but forces whole-column passes.
  const std::uint32_t n = 70000;
  EvalDataSet set(n);
  std::vector<double> x(n), y(n), region(n);
  for (std::uint32_t i = 0; i < n; ++i) {
    x[i] = i % 17 == 0 ? MISSING : 0.5 + (i % 101);
    y[i] = static_cast<double>(i % 7);
    region[i] = 1 + i % 3;
  }
  set.add("X", x);
  set.add("Y", y);
  set.add("REGION", region, 'C');
  set.labels("[REGION]\n1=North\n2=East\n3=South\n");
  for (const char* text : {"LOG(X)*2+IIF(Y>3,1,0)", "1+2", "IIF(REGION=\"East\",X,-Y)",
                           "ROUND(SQRT(X),1)+SEG(Y*100,2,1)", "!(X>50)|ISMISSING(X)"}) {
    const std::string whole = std::string("(") + text + ")+MIN(0)";
    EXPECT_TRUE(sameValues(set.eval(text), set.eval(whole))) << text;
    EXPECT_TRUE(sameValues(set.eval(text, 1500, n - 300), set.eval(whole, 1500, n - 300))) << text;
  }
  LabelMap labels;
  set.eval("REGION", 1, n, &labels);
  EXPECT_EQ(labels.size(), 3u);
  EXPECT_EQ(set.error("X(Y)"), "Expression invalid: operator expected\n");
}

}  // namespace
}  // namespace tessary
