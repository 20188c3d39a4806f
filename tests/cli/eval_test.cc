#include <gtest/gtest.h>

#include <cerrno>
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
  EXPECT_EQ(runEval(survey.eval("SIZE*2")),
            "4 records at level 0\ncount 4  mean 9  min 6  max 12\n");
  // A cluster variable read at household level repeats over each cluster's households.
  EXPECT_EQ(runEval(survey.eval("urban")),
            "4 records at level 0\ncount 4  mean 0.5  min 0  max 1\n");

  EvalOptions filtered = survey.eval("size");
  filtered.filter = "urban";
  EXPECT_EQ(runEval(filtered),
            "4 records at level 0, 2 pass the filter\ncount 2  mean 5  min 4  max 6\n");

  EXPECT_EQ(runEval(survey.eval("EDUC")),
            "4 records at level 0\n"
            "      CODE      COUNT  LABEL\n"
            "         1          1  none\n"
            "         2          2  primary\n"
            "         3          1  secondary\n");

  EvalOptions clusters = survey.eval("URBAN+1");
  clusters.level = 1;
  EXPECT_EQ(runEval(clusters), "3 records at level 1\ncount 3  mean 1.666666667  min 1  max 2\n");
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
            "4 records at level 0, 3 pass the filter\ncount 3  mean 50  min 40  max 60\n"
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

  // Unknown variables come back as the evaluator's message.
  MessageRecorder recorder;
  EXPECT_EQ(failureText([&] { runEval(survey.eval("WEALTH+1")); }), "Variable WEALTH not found.");
}

}  // namespace
}  // namespace tessary::cli
