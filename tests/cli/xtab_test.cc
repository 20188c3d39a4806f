#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/combine.h"
#include "data/data_set_writer.h"
#include "data_fixture.h"
#include "frame/failure.h"
#include "import/csv_reader.h"
#include "support/cross_table_run.h"
#include "test_support.h"

namespace tessary::cli {
namespace {

using testing::MessageRecorder;
using testing::readFile;
using testing::ScopedEnv;
using testing::ScratchDir;
using testing::writeFile;

using testing::failureText;

struct Survey : testing::SmallSurvey {
  Survey() : SmallSurvey("cluster,urban\n1,1\n2,0\n") {}
};

TEST(Xtab, StatisticNamesBecomeOptionBytes) {
  EXPECT_EQ(statisticBytes({"count", "Mean", "sd", "col%", "TOTAL"}),
            (std::vector<unsigned char>{0, 1, 1, 1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(failureText([] { statisticBytes({"median"}); }),
            "unknown statistic median (count, mean, std, min, max, row%, col%, total%)");
}

TEST(Xtab, SummariesAndTablesMakeOneCompletePage) {
  Survey survey;
  XtabOptions summaries;
  summaries.data = survey.dir.file("survey.daA");
  summaries.variables = {"SIZE", "EDUC"};
  tabulate(summaries, true);
  XtabOptions table;
  table.data = survey.dir.file("survey");
  table.rows = "EDUC";
  table.columns = "URBAN";
  table.of = "SIZE";
  table.statistics = {"count", "mean"};
  tabulate(table, false);
  finishReport(survey.dir.file("page.html"));

  const std::string page = readFile(survey.dir.file("page.html"));
  EXPECT_EQ(page.rfind("<html>\n<head>\n", 0), 0u);
  EXPECT_TRUE(page.ends_with("</table>\n</body>\n</html>\n"));
  EXPECT_NE(page.find("<p>SIZE (Numerical)<br />"), std::string::npos) << page;
  EXPECT_NE(page.find("<tr class=\"cell1\"><td>4</td><td>4.5</td></tr>"), std::string::npos)
      << page;
  // The cluster variable splits the households: primary is urban once, rural once.
  EXPECT_NE(page.find("EDUC by URBAN<br />"), std::string::npos) << page;
  EXPECT_NE(page.find("<td class=\"cell2\">primary</td><td class=\"cell4\"><br />Count<br />"
                      "Mean</td><td><br />1<br />5</td><td><br />1<br />4</td></tr>"),
            std::string::npos)
      << page;
}

TEST(Xtab, FailuresAreReportedAndWriteNoPage) {
  Survey survey;
  XtabOptions options;
  options.data = survey.dir.file("survey.daA");
  options.rows = "WEALTH";
  MessageRecorder recorder;
  EXPECT_EQ(failureText([&] { tabulate(options, true); }), "no table was written");
  ASSERT_EQ(recorder.messages().size(), 1u);
  EXPECT_EQ(recorder.messages()[0].caption, "CrossTabulate...");
  EXPECT_NE(recorder.messages()[0].text.find("WEALTH"), std::string::npos);

  options.variables = {"SIZE"};
  EXPECT_EQ(failureText([&] { tabulate(options, true); }),
            "give either --vars or --rows (with --cols and --of as needed)");
  options.rows.clear();
  options.of = "SIZE";
  EXPECT_EQ(failureText([&] { tabulate(options, true); }), "--cols and --of go with --rows");
  options.of.clear();
  options.data = survey.dir.file("hh.daH");
  options.level = 1;
  EXPECT_EQ(failureText([&] { tabulate(options, true); }),
            survey.dir.file("hh.daH") + ": a data array has only level 0; levels need a .daA");
}

}  // namespace
}  // namespace tessary::cli
