#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "data/combine.h"
#include "data/data_set_writer.h"
#include "data_fixture.h"
#include "frame/failure.h"
#include "import/csv_reader.h"
#include "support/cross_table_run.h"
#include "tessary.h"
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

TEST(Xtab, SummariesAndTablesMakeOneCompletePage) {
  Survey survey;
  XtabOptions summaries;
  summaries.data = survey.dir.file("survey.daA");
  summaries.variables = {"SIZE", "EDUC"};
  std::string text = tabulate(summaries, true);
  XtabOptions table;
  table.data = survey.dir.file("survey");
  table.rows = "EDUC";
  table.columns = "URBAN";
  table.of = "SIZE";
  table.statistics = {"count", "mean"};
  text += tabulate(table, false);
  finishReport(survey.dir.file("page.html"), text, TableFormat::kHtml);

  const std::string page = readFile(survey.dir.file("page.html"));
  EXPECT_EQ(page.rfind("<html>\n<head>\n<meta charset=\"utf-8\">\n<title>Tabulation of", 0), 0u);
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
  EXPECT_EQ(failureText([&] { tabulate(options, true); }), "Variable WEALTH not found.");
  EXPECT_EQ(failureText([] { tableFormat("xls"); }), "unknown format xls (html, csv, tsv)");

  options.variables = {"SIZE"};
  EXPECT_EQ(failureText([&] { tabulate(options, true); }),
            "give either --vars or --rows (with --cols and --of as needed)");
  options.rows.clear();
  options.of = "SIZE";
  EXPECT_EQ(failureText([&] { tabulate(options, true); }), "--cols and --of go with --rows");
}

// Values 1, 2, 3 of group 1 weigh 2 each; group 2 has fractional weights; group 3 none.
struct Weighted {
  ScratchDir dir;
  ScopedEnv temporary{"TMPDIR", dir.path().c_str()};
  Weighted() {
    testing::importCsvText(dir, "w",
                           "g,x,wt,f\n1,1,2,1\n1,2,2,1\n1,3,2,1\n2,10,0.6,1\n2,20,1.7,2\n",
                           {.weightVariable = "wt"});
  }
  XtabOptions table() const {
    XtabOptions options;
    options.data = dir.file("w.daH");
    options.rows = "g";
    options.of = "x";
    options.statistics = {"count", "mean", "std"};
    return options;
  }
};

TEST(Xtab, CompatIsTheExportByteForByte) {
  Weighted data;
  unsigned char bytes[15] = {1, 1, 1, 1};
  ::testing::internal::CaptureStdout();
  ASSERT_EQ(CrossTabulate(nullptr, data.dir.file("w.daH").c_str(), 3, "", "WT", 1, "x", "g", "",
                          bytes, 0),
            0);
  ::testing::internal::GetCapturedStdout();
  XtabOptions options = data.table();
  options.compat = true;
  const std::string compat = tabulate(options, true);
  EXPECT_EQ(compat, readFile(data.dir.file("EvalResult.tbl")));
  EXPECT_NE(compat.find("<td>1</td><td class=\"cell1\">6</td><td class=\"cell1\">2</td>"
                        "<td class=\"cell1\">2.53</td>"),
            std::string::npos);
  options.compat = false;
  EXPECT_NE(tabulate(options, true).find("<td class=\"cell1\">0.8944</td>"), std::string::npos);
}

TEST(Xtab, WeightsFormatsAndRows) {
  Weighted data;
  const struct {
    std::function<void(XtabOptions&)> change;
    std::string expected;
  } cases[] = {
      {[](XtabOptions& o) { o.format = TableFormat::kCsv; },
       "g,Count,Mean,Std Dev.\n1,6,2,0.8944\n2,2.3,17.3913,5.8407\n"},
      {[](XtabOptions& o) { o.format = TableFormat::kTsv, o.weight.unweighted = true; },
       "g\tCount\tMean\tStd Dev.\n1\t3\t2\t1\n2\t2\t15\t7.0711\n"},
      {[](XtabOptions& o) { o.format = TableFormat::kCsv, o.weight.name = "x"; },
       "g,Count,Mean,Std Dev.\n1,6,2.3333,0.8165\n2,30,16.6667,4.7946\n"},
      // Only a filter of exactly 1 keeps a record; the hidden row 2 has none left.
      {[](XtabOptions& o) {
         o.format = TableFormat::kCsv, o.filter = "f*(g=1)", o.hideEmpty = true;
         o.statistics = {"count"};
       },
       "g,Count\n1,6\n"},
      {[](XtabOptions& o) { o.weight.unweighted = true, o.weight.name = "x"; },
       "give --weight or --unweighted, not both"},
  };
  for (const auto& c : cases) {
    XtabOptions options = data.table();
    c.change(options);
    std::string out;
    try {
      out = tabulate(options, true);
    } catch (const Failure& failure) {
      out = failure.text();
    }
    EXPECT_EQ(out, c.expected);
  }
}

}  // namespace
}  // namespace tessary::cli
