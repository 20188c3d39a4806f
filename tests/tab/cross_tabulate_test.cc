// The tabulation exports over a data array on disk, through the evaluator.
#include <gtest/gtest.h>

#include "data_fixture.h"
#include "expr/expression_evaluation.h"
#include "tab/html_report.h"
#include "tessary.h"

namespace tessary {
namespace {

class CrossTabulateTest : public ::testing::Test {
 protected:
  CrossTabulateTest() : env_("TMPDIR", set_.dir.path().c_str()) {
    set_.add("INCOME", {100, 200, 300, 400, 500, 600});
    set_.add("SEX", {1, 2, 1, 2, 1, 2}, 'C');
    set_.add("AGE", {20, 35, 41, 20, 35, 41});
    set_.add("W", {1, 1, 2, 2, 1, 1});
    set_.labels("[SEX]\n1=Male\n2=Female\n");
    path_ = set_.dir.file("set.daH");
  }
  std::string output() { return testing::readFile(HtmlReport::outputPath()); }

  testing::EvalDataSet set_{6};
  testing::ScopedEnv env_;
  std::string path_;
};

TEST_F(CrossTabulateTest, TheLastFormulaEvaluatedLeavesItsLabelFile) {
  const std::string categories = "0\n1\v3\v3=Male\n2\v3\v3=Female\n";
  const struct {
    int mode;
    const char* filter;
    const char* list;
    const char* row;
    const char* column;
    std::string labels;
  } cases[] = {
      {1, "AGE<40", "INCOME", "SEX", "", categories},  // counts over every record
      {2, "", "INCOME", "SEX", "INT(AGE/10)", "0\n"},
      {2, "", "INCOME", "AGE", "SEX", categories},
      {0, "", "INCOME,SEX", "", "", "0\n"}  // nothing evaluated
  };
  unsigned char options[15] = {1, 1};
  for (const auto& c : cases) {
    testing::writeFile(evalResultLabelPath(), "stale");
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(CrossTabulate(nullptr, path_.c_str(), 3, c.filter, "", c.mode, c.list, c.row,
                            c.column, options, 0),
              0);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::readFile(evalResultLabelPath()), c.labels) << c.mode << c.row << c.column;
  }
}

TEST_F(CrossTabulateTest, FailuresAreLoggedAndShownOnlyWithTheFlag) {
  testing::MessageRecorder recorder;
  unsigned char options[15] = {1, 1};
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(CrossTabulate(nullptr, path_.c_str(), 3, "", "", 1, "INCOME", "NOPE", "", options, 0),
            -2);
  EXPECT_TRUE(recorder.messages().empty());
  EXPECT_EQ(CrossTabulate(nullptr, path_.c_str(), 3, "", "", 1, "INCOME", "NOPE", "", options, 1),
            -2);
  const std::string missing = set_.dir.file("absent.daH");
  EXPECT_EQ(CrossTabulate(nullptr, missing.c_str(), 3, "", "", 1, "X", "Y", "", options, 1), -2);
  EXPECT_EQ(CrossTabulate(nullptr, path_.c_str(), 0, "", "", 1, "X", "Y", "", options, 1), -2);
  EXPECT_EQ(CrossTabulate(nullptr, path_.c_str(), -1, "", "", 1, "X", "Y", "", options, 0), -2);
  ::testing::internal::GetCapturedStdout();
  ASSERT_EQ(recorder.messages().size(), 3u);
  EXPECT_EQ(recorder.messages()[0].text, "Variable NOPE not found.");
  EXPECT_EQ(recorder.messages()[0].caption, "CrossTabulate...");
  EXPECT_EQ(recorder.messages()[0].style, 0x30u);
  EXPECT_EQ(recorder.messages()[1].text, "Loading DA:" + missing + " failed.");
  EXPECT_EQ(recorder.messages()[2].text, "Loading CDA:" + path_ + " failed.");
  EXPECT_EQ(testing::readFile(set_.dir.file("Tarvex.err")),
            "Variable NOPE not found.\t XTbl in Tessary.dll\n"
            "Variable NOPE not found.\t XTbl in Tessary.dll\n"
            "Loading DA:" +
                missing +
                " failed.\t XTbl in Tessary.dll\n"
                "Loading CDA:" +
                path_ +
                " failed.\t XTbl in Tessary.dll\n"
                "Invalid cursor.\n\t XTbl in Tessary.dll\n");
}

TEST_F(CrossTabulateTest, SummaryByShiftedIdentifierUsesRecordNumbers) {
  std::vector<double> keys(6, -1), values(6, -1);
  // No identifier variable in the header: records 1..6, shifted by one digit -> 0.
  EXPECT_EQ(summaryByShiftedID(nullptr, path_.c_str(), 3, "", "W", "INCOME", 1, 5, 0, keys.data(),
                               values.data()),
            1);
  EXPECT_EQ(keys[0], 0);
  EXPECT_EQ(values[0], 600);
  EXPECT_EQ(summaryByShiftedID(nullptr, path_.c_str(), 3, "SEX=\"Male\"", "", "INCOME", 0, 16, 0,
                               keys.data(), values.data()),
            3);
  EXPECT_EQ(keys[2], 5);
  EXPECT_EQ(values[2], 1);  // 16 mod 15 = 1: the count
}

}  // namespace
}  // namespace tessary
