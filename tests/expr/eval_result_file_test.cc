#include <gtest/gtest.h>

#include "data_fixture.h"

namespace tessary {
namespace {

using testing::EvalDataSet;
using testing::readFile;
using testing::ScopedEnv;
using testing::ScratchDir;

const double M = MISSING;

TEST(EvalResultFile, CategoricalAndNumericResults) {
  EvalDataSet set(5);
  set.add("REGION", {1, 3, 3, M, 1}, 'C');
  set.add("X", {1, 2, 3, 4, 5});
  set.labels("[REGION]\n1=North\n3=South\n");
  ScratchDir temp;
  ScopedEnv tmpdir("TMPDIR", temp.path().c_str());
  const std::string path = temp.path() + "/EvalResult.lbl";
  EXPECT_EQ(evalResultLabelPath(), path);

  std::vector<double> out(5);
  const double weights[] = {1, 2.5, 0.25, 1, M};
  ExpressionParser categorical;
  categorical.parse("REGION");
  LabelMap labels;
  bool isCategorical = false;
  evaluateToFiles(categorical, set.data, out, weights, 1, 5, &labels, &isCategorical);
  EXPECT_TRUE(isCategorical);
  EXPECT_EQ(readFile(path), "0\n1\v1\v1=North\n3\v2\v2.75=South\n");

  // Codes without a label leave the text after '=' empty; the range starts at record 2.
  ExpressionParser unlabelled;
  unlabelled.parse("FACTOR(VALUEOF(REGION)+1)");
  evaluateToFiles(unlabelled, set.data, out, nullptr, 2, 5, &labels, &isCategorical);
  EXPECT_EQ(readFile(path), "0\n2\v1\v1=\n4\v2\v2=\n");

  ExpressionParser numeric;
  numeric.parse("X*2");
  evaluateToFiles(numeric, set.data, out, nullptr, 1, 5, &labels, &isCategorical);
  EXPECT_FALSE(isCategorical);
  EXPECT_EQ(readFile(path), "0\n");

  testing::writeFile(path, "stale");
  ExpressionParser failing;
  failing.parse("LOG(REGION)");
  EXPECT_THROW(evaluateToFiles(failing, set.data, out, nullptr, 1, 5, &labels, &isCategorical),
               Failure);
  EXPECT_EQ(failing.errorMessage(), "ERROR: LOG(factor) is invalid");
  EXPECT_EQ(readFile(path), "0\n");
}

TEST(EvalResultFile, DefaultStreamNumberForm) {
  std::vector<double> codes(120, 3.0);
  std::vector<double> weights(120, 1.0);
  weights[0] = -0.5;
  codes.push_back(1000003);
  weights.push_back(0.1234567);
  EXPECT_EQ(evalResultLabelText(true, codes, {{3, "North"}}, weights.data()),
            "0\n3\v120\v118.5=North\n1e+06\v1\v0.123457=\n");
  EXPECT_EQ(evalResultLabelText(false, codes, {{3, "North"}}, weights.data()), "0\n");
}

}  // namespace
}  // namespace tessary
