#include "tab/xtab.h"

#include <gtest/gtest.h>

#include <regex>
#include <vector>

#include "data_fixture.h"

namespace tessary {
namespace {

struct Options {
  std::uint8_t bytes[TabOptions::kBytes] = {};
  Options(std::initializer_list<int> set) {
    for (int b : set)
      bytes[b] = 1;
  }
};

// Names of the elements left open by the markup; fails on a mismatched close.
std::vector<std::string> openElements(const std::string& html) {
  std::vector<std::string> open;
  const std::regex tag("<(/?)([a-zA-Z]+)[^>]*?(/?)>");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), tag); it != std::sregex_iterator();
       ++it) {
    const std::string name = (*it)[2];
    if ((*it)[3] == "/" || name == "br") continue;
    if ((*it)[1] == "/") {
      EXPECT_FALSE(open.empty()) << "stray </" << name << ">";
      if (open.empty()) return open;
      EXPECT_EQ(open.back(), name) << "mismatched </" << name << ">";
      open.pop_back();
    } else {
      open.push_back(name);
    }
  }
  return open;
}

// Six records; "$ID$" reads ID, which the header names.
class XTabTest : public ::testing::Test {
 protected:
  XTabTest() : env_("TMPDIR", set_.dir.path().c_str()) {
    set_.add("X", {10, 20, 30, 40, 50, MISSING});
    set_.add("AGE", {3, 7, 5, 3, 4, 6});
    set_.add("W", {1, 2, 1, 1, 1, 1});
    set_.add("F", {1, 1, 1, 1, 0, 1});
    set_.add("AREA", {1, 2, 2, 1, 9, 2}, 'C');
    set_.add("ID", {101, 102, 201, 202, 203, 301});
    set_.add("NONE", std::vector<double>(6, MISSING));
    set_.add("WIDE", {0, 2e6, 1, 1, 1, 1});
    set_.data.header(0).headerTextA = makeTextField("ID");
    set_.data.saveHeader();
    set_.labels("[AREA]\n1=Urban\n2=Rural\n");
  }
  std::string output() { return testing::readFile(HtmlReport::outputPath()); }
  std::string run(int mode, const std::string& filter, const std::string& weight,
                  const std::string& list, const std::string& rows, const std::string& cols,
                  const Options& options) {
    XTab xtab(set_.data);
    xtab.setup(mode, filter, weight, list, rows, cols, options.bytes);
    ::testing::internal::CaptureStdout();
    try {
      xtab.generate();
    } catch (...) {
      ::testing::internal::GetCapturedStdout();
      throw;
    }
    return ::testing::internal::GetCapturedStdout();
  }

  testing::EvalDataSet set_{6};
  testing::ScopedEnv env_;
};

TEST_F(XTabTest, OneWayTableOfAnIntegralRowVariable) {
  run(1, "F", "W", "X", "AGE", "", Options{0, 1, 2});
  const std::string html = output();
  const std::string fragment = html.substr(html.find("Record Filter: "));
  EXPECT_EQ(fragment,
            "Record Filter: F<br />\nWeighted By: W<br />\n"
            "<table cellspacing=\"1\" cellpadding=\"2\" class=\"tbl\">\n<tr class=\"cell4\">"
            "<td>AGE</td><td>Count</td><td>Mean</td></tr>\n"
            "<tr class=\"cell2\"><td>3</td><td class=\"cell1\">2</td><td class=\"cell1\">25</td>"
            "</tr>\n"
            "<tr class=\"cell2\"><td>4</td><td class=\"cell1\">0</td><td class=\"cell1\">-</td>"
            "</tr>\n"
            "<tr class=\"cell2\"><td>5</td><td class=\"cell1\">1</td><td class=\"cell1\">30</td>"
            "</tr>\n"
            "<tr class=\"cell2\"><td>6</td><td class=\"cell1\">0</td><td class=\"cell1\">-</td>"
            "</tr>\n"
            "<tr class=\"cell2\"><td>7</td><td class=\"cell1\">2</td><td class=\"cell1\">20</td>"
            "</tr>\n"
            "</table>\n");
  EXPECT_EQ(openElements(html), (std::vector<std::string>{"html", "body"}));
}

TEST_F(XTabTest, OutOfRangeCategoriesWriteErrorLines) {
  run(1, "", "", "X", "AREA", "", Options{1});
  const std::string html = output();
  // Record 4 (0-based) has code 9, which no label names.
  EXPECT_NE(html.find(" ****** Error: i=4 j=-1 rowBuf[i]=9<br />\n"), std::string::npos);
  EXPECT_NE(html.find("<tr><td class=\"cell2\">Urban</td><td class=\"cell1\">2</td></tr>\n"),
            std::string::npos);
  // Record 5 has a missing analysis value: left out silently.
  EXPECT_NE(html.find("<tr><td class=\"cell2\">Rural</td><td class=\"cell1\">2</td></tr>\n"),
            std::string::npos);

  run(2, "", "", "X", "AGE", "AREA", Options{1});
  EXPECT_NE(output().find(" ****** Error: j OUT---- i=4 j=-1 colBuf[i]=9<br />\n"),
            std::string::npos);
}

TEST_F(XTabTest, TwoWayPagesAreWellFormed) {
  run(2, "", "W", "X", "AGE", "AREA", Options{0, 1, 2, 6, 7, 8});
  const std::string first = output();
  EXPECT_EQ(openElements(first), (std::vector<std::string>{"html", "body"}));
  EXPECT_NE(first.find("AGE by AREA<br />\n"), std::string::npos);
  EXPECT_NE(first.find("<td rowspan=\"2\" class=\"cell2\">Urban</td>"), std::string::npos);
}

TEST_F(XTabTest, SummariesOfAVariableList) {
  run(0, "", "W", "AREA,,X", "", "", Options{0, 1, 2, 6});
  const std::string html = output();
  EXPECT_NE(html.find("<p>AREA (Categorical)<br />\n"), std::string::npos);
  // Urban: 2 records, weight 2; Rural: 3 records, weight 4; code 9 unlabelled.
  EXPECT_NE(html.find("<td class=\"cell2\">Urban</td><td>2</td><td>2</td><td>33.3333</td>"
                      "<td>28.5714</td></tr>\n"),
            std::string::npos);
  EXPECT_NE(html.find("<p>X (Numerical)<br />\n"
                      "<table cellspacing=\"1\" cellpadding=\"2\" class=\"tbl\">\n"
                      "<tr class=\"cell4\"><td>Count</td><td>Mean</td>\n"
                      "<tr class=\"cell1\"><td>6</td><td>28.33</td></tr>\n"),
            std::string::npos);
  EXPECT_EQ(html.find("Row %"), std::string::npos);  // cleared for mode 0
}

TEST_F(XTabTest, FailuresLeaveTheOutputAlone) {
  testing::writeFile(HtmlReport::outputPath(), "kept");
  const auto failure = [&](int mode, const char* rows, const char* cols) {
    return testing::failureText([&] { run(mode, "", "", "X", rows, cols, Options{0, 1}); });
  };
  EXPECT_EQ(failure(1, "NONE", ""), "No value on Row:NONE");
  EXPECT_EQ(failure(1, "WIDE", ""), "Too many integer category. Tabulation suspended.");
  EXPECT_EQ(failure(2, "AGE", "NONE"), "No value on Col:NONE");
  EXPECT_EQ(output(), "kept");
}

}  // namespace
}  // namespace tessary
