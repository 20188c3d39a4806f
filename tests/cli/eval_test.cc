#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "data/combine.h"
#include "data/data_set_writer.h"
#include "data_fixture.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "import/csv_reader.h"
#include "support/expression_run.h"
#include "test_support.h"

namespace tessary::cli {
namespace {

using testing::MessageRecorder;
using testing::readStored;
using testing::ScratchDir;
using testing::writeFile;

using testing::failureText;

struct Survey : testing::SmallSurvey {
  Survey() : SmallSurvey("cluster,urban\n1,1\n2,0\n3,1\n") {}
  EvalOptions eval(const std::string& expression) const {
    EvalOptions options;
    options.data = dir.file("survey.daA");
    options.expression = expression;
    return options;
  }
};

TEST(Eval, SummariesCategoryTablesFiltersAndLevels) {
  Survey survey;
  EXPECT_EQ(
      runEval(survey.eval("SIZE*2")),
      "4 records at level 0\ncount 4  missing 0  mean 9  sd 2.58199  sum 36  min 6  max 12\n");
  // A cluster variable read at household level repeats over each cluster's households.
  EXPECT_EQ(
      runEval(survey.eval("urban")),
      "4 records at level 0\ncount 4  missing 0  mean 0.5  sd 0.57735  sum 2  min 0  max 1\n");

  EvalOptions filtered = survey.eval("size");
  filtered.filter = "urban";
  EXPECT_EQ(runEval(filtered),
            "4 records at level 0, 2 pass the filter\n"
            "count 2  missing 0  mean 5  sd 1.41421  sum 10  min 4  max 6\n");

  EXPECT_EQ(runEval(survey.eval("EDUC")),
            "4 records at level 0\n"
            "      CODE      COUNT  LABEL\n"
            "         1          1  none\n"
            "         2          2  primary\n"
            "         3          1  secondary\n"
            "         .          0  (missing)\n");

  EvalOptions clusters = survey.eval("URBAN+1");
  clusters.level = 1;
  EXPECT_EQ(
      runEval(clusters),
      "3 records at level 1\ncount 3  missing 0  mean 1.66667  sd 0.57735  sum 5  min 1  max 2\n");
  clusters.level = 2;
  EXPECT_EQ(failureText([&] { runEval(clusters); }),
            survey.dir.file("survey.daA") + ": no level 2 (levels 0 to 1)");

  EvalOptions explained = survey.eval("SIZE*2");
  explained.explain = true;
  EXPECT_EQ(runEval(explained).rfind("postfix: SIZE 2 *\n", 0), 0u);
}

TEST(Eval, SavingStoresAHouseholdVariableThroughTheLibrary) {
  Survey survey;
  EvalOptions save = survey.eval("SIZE*10");
  save.filter = "SIZE>3";
  save.save = "big";
  EXPECT_EQ(runEval(save),
            "4 records at level 0, 3 pass the filter\n"
            "count 3  missing 0  mean 50  sd 10  sum 150  min 40  max 60\n"
            "saved as BIG in " +
                survey.dir.file("survey.daA") + "\n");
  const auto big = readStored(survey.dir.file("hh.daH"), "BIG");
  EXPECT_EQ(big.kind, 'N');
  EXPECT_EQ(big.values, (std::vector<double>{40, 60, MISSING, 50}));
  EXPECT_EQ(big.holes, (std::vector<int>{3}));

  // Saving needs the household level of a combined data array.
  EvalOptions onArray = save;
  onArray.data = survey.dir.file("hh.daH");
  EXPECT_EQ(failureText([&] { runEval(onArray); }),
            "--save writes a household variable: give a .daA at level 0");
  EvalOptions badLevel = onArray;
  badLevel.level = 1;
  EXPECT_EQ(failureText([&] { runEval(badLevel); }),
            survey.dir.file("hh.daH") + ": a data array has only level 0; levels need a .daA");

  // A data set whose files only open for reading is not claimed saved.
  {
    MessageRecorder recorder;
    testing::ScopedFaultHook readOnly(
        testing::failing(FileOperation::kOpenForWriting, "hh.", EACCES));
    save.save = "again";
    EXPECT_EQ(failureText([&] { runEval(save); }), "the result was not saved as AGAIN");
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(recorder.messages()[0].text,
              "DA::SetValue: Can't open file " + survey.dir.file("hh.daD") + " to write.\n");
  }
  EXPECT_EQ(readStored(survey.dir.file("hh.daH"), "AGAIN").kind, 0);

  // An existing variable is replaced only when asked; a name must read back.
  save.save = "big";
  EXPECT_EQ(failureText([&] { runEval(save); }),
            "--save BIG: the variable exists; add --replace to replace it");
  save.replace = true;
  EXPECT_NO_THROW(runEval(save));
  save.save = "sch.wide";
  EXPECT_EQ(failureText([&] { runEval(save); }),
            "--save sch.wide: expressions could not read that name (a letter, _, # or $, then "
            "also digits)");
}

// Weighted survey: households of sizes 4 and 6 weigh 1 and 3, the others 2.
TEST(Eval, ConventionsOfTheTool) {
  ScratchDir dir;
  testing::ScopedEnv temporary("TMPDIR", dir.path().c_str());
  testing::importCsvText(dir, "w", "size,g,wt,f\n4,1,1,1\n6,1,3,2\n3,2,2,1\n5,2,2,1\n,2,2,1\n",
                         {.weightVariable = "wt"});
  const struct {
    std::function<void(EvalOptions&)> change;
    std::string expected;
  } cases[] = {
      {[](EvalOptions&) {},
       "weighted by WT\ncount 4  missing 1  mean 4.75  sd 1.28174  sum 38  weight 8  min 3  max "
       "6\n"},
      {[](EvalOptions& o) { o.weight.unweighted = true, o.digits = 3; },
       "count 4  missing 1  mean 4.5  sd 1.29  sum 18  min 3  max 6\n"},
      // Only a filter of exactly 1 keeps a record (f is 2 for the size 6).
      {[](EvalOptions& o) { o.weight.unweighted = true, o.filter = "f"; },
       "count 3  missing 1  mean 4  sd 1  sum 12  min 3  max 5\n"},
      {[](EvalOptions& o) { o.by = "g"; },
       "weighted by WT\n"
       "       GROUP        COUNT      MISSING         MEAN           SD          SUM       WEIGHT"
       "          MIN          MAX\n"
       "           1            2            0          5.5            1           22            4"
       "            4            6\n"
       "           2            2            1            4       1.1547           16            4"
       "            3            5\n"},
      {[](EvalOptions& o) { o.expression = "LOGX(size)"; },
       "unknown function LOGX (tessary eval --help lists the functions)"},
      {[](EvalOptions& o) { o.expression = "size>3 AND g=1"; },
       "Variable ANDG not found. (AND is no operator of the language: write &)"},
  };
  for (const auto& c : cases) {
    EvalOptions options;
    options.data = dir.file("w.daH");
    options.expression = "size";
    c.change(options);
    std::string out;
    try {
      out = runEval(options);
      out = out.substr(out.find('\n') + 1);
    } catch (const Failure& failure) {
      out = failure.text();
    }
    EXPECT_EQ(out, c.expected);
  }
}

}  // namespace
}  // namespace tessary::cli
