#include "tab/html_report.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "frame/failure.h"
#include "test_support.h"

namespace tessary {
namespace {

TabOptions optionsWith(std::initializer_list<int> bytes) {
  TabOptions options;
  for (int b : bytes)
    options.set(b, 1);
  return options;
}

TEST(HtmlReport, TheExactPolicyEscapesTextsAndDeclaresItsCharacterSet) {
  const struct {
    TabPolicy policy;
    const char* head;
    const char* selection;
    const char* row;
  } cases[] = {
      {TabPolicy::kExport, "<html>\n<head>\n<style>\nbody{font-family:tahoma,sans-serif;",
       "Loading...</td></tr></table></div>\nRecord Filter: API99<API00<br />",
       "<td class=\"cell2\">a&b</td><td>1</td><td>3</td><td>33.3333</td><td>60</td>"},
      {TabPolicy::kExact,
       "<html>\n<head>\n<meta charset=\"utf-8\">\n<title>T &lt;1&gt;</title>\n<style>",
       "Record Filter: API99&lt;API00<br />",
       "<td class=\"cell2\">a&amp;b</td><td>1</td><td>3</td><td>33.33</td><td>60</td>"},
  };
  for (const auto& c : cases) {
    TabOptions options = optionsWith({0});
    options.policy = c.policy;
    HtmlReport report(options);
    report.pageHead("T <1>");
    report.selection("API99<API00", "W");
    report.categoricalSection("\xC3\xA9", {{"a&b", 1, 3, 100.0 / 3, 60}});
    const std::string& html = report.html();
    EXPECT_EQ(html.rfind(c.head, 0), 0u) << html;
    EXPECT_NE(html.find(c.selection), std::string::npos) << html;
    EXPECT_NE(html.find(c.row), std::string::npos) << html;
    EXPECT_NE(html.find("<p>\xC3\xA9 (Categorical)"), std::string::npos);  // UTF-8 passes
  }
}

TEST(HtmlReport, OneWayTableWithEveryHeadingKind) {
  CrossTable table;
  table.rows = {{CategoryHeading::Kind::kLabel, "Urban"},
                {CategoryHeading::Kind::kInteger, "", 3},
                {CategoryHeading::Kind::kInterval, "", 0, 0.5, 0.75}};
  table.allocate();
  table.add(0, 0, 10, 1);
  table.add(1, 0, 20, 3);
  HtmlReport report(optionsWith({1, 8}));
  report.oneWayTable("AREA", table);
  EXPECT_EQ(report.html(),
            "<table cellspacing=\"1\" cellpadding=\"2\" class=\"tbl\">\n<tr class=\"cell4\">"
            "<td>AREA</td><td>Count</td><td>Total %</td></tr>\n"
            "<tr><td class=\"cell2\">Urban</td><td class=\"cell1\">1</td>"
            "<td class=\"cell1\">25</td></tr>\n"
            "<tr class=\"cell2\"><td>3</td><td class=\"cell1\">3</td>"
            "<td class=\"cell1\">75</td></tr>\n"
            "<tr class=\"cell2\"><td>[0.5,0.75)</td><td class=\"cell1\">0</td>"
            "<td class=\"cell1\">0.00</td></tr>\n"
            "</table>\n");
}

TEST(HtmlReport, TwoWayTableWithEmptyCells) {
  CrossTable table;
  table.rows = {{CategoryHeading::Kind::kInteger, "", 1}, {CategoryHeading::Kind::kInteger, "", 2}};
  table.columns = {{CategoryHeading::Kind::kLabel, "A"}, {CategoryHeading::Kind::kLabel, "B"}};
  table.allocate();
  table.add(0, 0, 5, 1);
  table.add(0, 1, 7, 1);
  table.add(1, 1, 9, 2);
  HtmlReport report(optionsWith({1, 6}));
  report.twoWayTable("SEX", "AREA", table);
  EXPECT_EQ(report.html(),
            "SEX by AREA<br />\n"
            "<table cellspacing=\"1\" cellpadding=\"2\" class=\"tbl\">\n<tr class=\"cell4\">"
            "<td colspan=\"2\">SEX</td><td rowspan=\"2\" class=\"cell2\">A</td>"
            "<td rowspan=\"2\" class=\"cell2\">B</td></tr>\n"
            "<tr class=\"cell4\"><td>Statistic</td><td>AREA</td></tr>\n"
            "<tr class=\"cell1\"><td class=\"cell2\">1</td><td class=\"cell4\"><br />Count"
            "<br />Row %</td><td><br />1<br />50</td><td><br />1<br />50</td></tr>\n"
            "<tr class=\"cell1\"><td class=\"cell2\">2</td><td class=\"cell4\"><br />Count"
            "<br />Row %</td><td>&nbsp;</td><td><br />2<br />100</td></tr>\n"
            "</table>\n");
}

TEST(HtmlReport, TwoWayTableWithOneLinePerStatistic) {
  CrossTable table;
  table.rows = {{CategoryHeading::Kind::kInteger, "", 1}};
  table.columns = {{CategoryHeading::Kind::kInteger, "", 0},
                   {CategoryHeading::Kind::kInteger, "", 1}};
  table.allocate();
  table.add(0, 1, 4, 2);
  HtmlReport report(optionsWith({1, 2, 9}));
  report.twoWayTable("R", "C", table);
  const std::string& html = report.html();
  const std::string body = html.substr(html.find("</tr>\n<tr class=\"cell4\">"));
  EXPECT_EQ(body,
            "</tr>\n<tr class=\"cell4\"><td>Statistic</td><td>C</td></tr>\n"
            "<tr class=\"cell1\"><td class=\"cell2\">1</td><td class=\"cell2\">&nbsp;"
            "</td><td>&nbsp;</td><td>&nbsp;</td></tr>\n"
            "<tr class=\"cell1\"><td class=\"cell2\">&nbsp;</td><td class=\"cell2\">Count</td>"
            "<td>&nbsp;</td><td>2</td></tr>\n"
            "<tr class=\"cell1\"><td class=\"cell2\">&nbsp;</td><td class=\"cell2\">Mean</td>"
            "<td>&nbsp;</td><td>4</td></tr>\n"
            "</table>\n");
}

TEST(HtmlReport, SaveCreatesWithThePageHeadAndAppendsOtherwise) {
  testing::ScratchDir dir;
  testing::ScopedEnv env("TMPDIR", dir.path().c_str());
  EXPECT_EQ(HtmlReport::outputPath(), dir.path() + "/EvalResult.tbl");
  testing::writeFile(HtmlReport::outputPath(), "old page");

  HtmlReport first(optionsWith({0}));
  first.selection("", "");
  first.save();
  HtmlReport second(optionsWith({}));
  second.selection("X=1", "W");
  second.save();
  EXPECT_EQ(testing::readFile(HtmlReport::outputPath()),
            "Record Filter: <br />\nWeighted By: <br />\n"
            "Record Filter: X=1<br />\nWeighted By: W<br />\n");

  // A save that fails part way, as on a full disk, leaves the file as it was.
  const std::string before = testing::readFile(HtmlReport::outputPath());
  {
    testing::ScopedFaultHook full(
        testing::failing(FileOperation::kWrite, "EvalResult.tbl", ENOSPC));
    EXPECT_THROW(first.save(), Failure);
    EXPECT_THROW(second.save(), Failure);
  }
  EXPECT_EQ(testing::readFile(HtmlReport::outputPath()), before);

  testing::ScopedEnv missing("TMPDIR", "/nonexistent/dir");
  EXPECT_THROW(second.save(), Failure);
}

}  // namespace
}  // namespace tessary
