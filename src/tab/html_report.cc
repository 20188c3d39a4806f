#include "tab/html_report.h"

#include "frame/failure.h"
#include "frame/number_format.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace tessary {
namespace {

constexpr std::string_view kTableOpen =
    "<table cellspacing=\"1\" cellpadding=\"2\" class=\"tbl\">\n<tr class=\"cell4\">";

constexpr std::string_view kPageHead[] = {
    "<html>\n<head>\n",
    "<style>\nbody{font-family:tahoma,sans-serif;font-size: 13px;}\n",
    ".tbl {font-family:tahoma,sans-serif;font-size: 13px;border:1px solid "
    "#666666;background-color:#666666;}\n",
    ".cell0 {font-family:tahoma,sans-serif;font-size: 13px;text-align:right;}\n.cell1 "
    "{background-color:#ffffff;text-align:right;}\n.cell2 {background-color:#eeeeff;}\n.cell4 "
    "{background-color:#ccccff;}\n",
    "</style>\n<script>\nfunction init() "
    "{document.getElementById(\"divLoading\").style.display=\"none\";}\n</script>\n</head>\n<body "
    "onload=\"init()\">\n",
    "<div id=\"divLoading\" style=\"z-index:200; background:white; position:absolute; "
    "border:1px solid black; left:10em; top:140px; width:200px;height:50px; "
    "filter:progid:DXImageTransform.Microsoft.Shadow(color='#666666', Direction=135, "
    "Strength=6)\">",
    "<table border=\"0\" width=\"100%\" style=\"height:100%\"><tr><td valign=\"middle\" "
    "align=\"center\"></td><td valign=\"middle\" "
    "style=\"text-align:center;\">Loading...</td></tr></table></div>\n",
};

}  // namespace

std::string escapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string HtmlReport::placed(std::string_view text) const {
  return exact() ? escapeHtml(text) : std::string(text);
}

bool HtmlReport::shown(const CrossTable& table, std::size_t r) const {
  return !options_.hideEmptyRows || !table.rowIsEmpty(r);
}

void HtmlReport::statisticNames(std::string_view open, std::string_view close) {
  for (TabStatistic statistic : options_.enabledStatistics()) {
    html_ += open;
    html_ += statisticName(statistic);
    html_ += close;
  }
}

void HtmlReport::statisticValues(const CellAccumulator& cell, const PercentBases& bases,
                                 std::string_view open, std::string_view close) {
  for (TabStatistic statistic : options_.enabledStatistics()) {
    html_ += open;
    html_ += statisticText(cell, statistic, bases, options_.policy);
    html_ += close;
  }
}

void HtmlReport::pageHead(std::string_view title) {
  html_ += kPageHead[0];
  if (exact()) html_ += "<meta charset=\"utf-8\">\n<title>" + escapeHtml(title) + "</title>\n";
  for (std::size_t i = 1; i < std::size(kPageHead); ++i)
    html_ += kPageHead[i];
}

void HtmlReport::selection(std::string_view filter, std::string_view weight) {
  html_ += "Record Filter: " + placed(filter) + "<br />\n";
  html_ += "Weighted By: " + placed(weight) + "<br />\n";
}

void HtmlReport::categoricalSection(std::string_view name, const std::vector<FrequencyRow>& rows) {
  html_ += "<p>" + placed(name) + " (Categorical)<br />\n";
  html_ += kTableOpen;
  html_ +=
      "<td>Label</td><td>Count</td><td>Weighted Count</td><td>%</td><td>Weighted %</td></tr>\n";
  for (const FrequencyRow& row : rows) {
    const TabPolicy policy = options_.policy;
    html_ += "<tr class=\"cell1\"><td class=\"cell2\">" + placed(row.label) + "</td>";
    html_ += "<td>" + formatGeneral(row.count) + "</td>";
    html_ += "<td>" + frequencyText(row.weightedCount, policy) + "</td>";
    html_ += "<td>" + frequencyPercentText(row.percent, policy) + "</td>";
    html_ += "<td>" + frequencyPercentText(row.weightedPercent, policy) + "</td></tr>\n";
  }
  html_ += "</table></p>\n";
}

void HtmlReport::numericalSection(std::string_view name, const CellAccumulator& cell) {
  html_ += "<p>" + placed(name) + " (Numerical)<br />\n";
  html_ += kTableOpen;
  statisticNames("<td>", "</td>");
  html_ += "\n<tr class=\"cell1\">";
  statisticValues(cell, PercentBases{}, "<td>", "</td>");
  html_ += "</tr>\n</table></p>\n";
}

void HtmlReport::strayRecords(const CrossTable& table) {
  const bool twoWay = !table.columns.empty();
  for (const StrayRecord& stray : table.strays) {
    const char* opening = stray.column ? " ****** Error: j OUT---- i=%zu j=%lld colBuf[i]="
                          : twoWay     ? " ****** Error: k OUT---- i=%zu j=%lld rowBuf[i]="
                                       : " ****** Error: i=%zu j=%lld rowBuf[i]=";
    html_ +=
        formatText(opening, stray.record, stray.index) + formatGeneral(stray.value) + "<br />\n";
  }
}

void HtmlReport::oneWayTable(std::string_view rowFormula, const CrossTable& table) {
  html_ += kTableOpen;
  html_ += "<td>" + placed(rowFormula) + "</td>";
  statisticNames("<td>", "</td>");
  html_ += "</tr>\n";
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    if (!shown(table, r)) continue;
    const CategoryHeading& heading = table.rows[r];
    if (heading.kind == CategoryHeading::Kind::kLabel)
      html_ += "<tr><td class=\"cell2\">" + placed(heading.label) + "</td>";
    else
      html_ += "<tr class=\"cell2\"><td>" + headingText(heading) + "</td>";
    statisticValues(table.cell(r, 0), table.bases(r, 0), "<td class=\"cell1\">", "</td>");
    html_ += "</tr>\n";
  }
  html_ += "</table>\n";
}

void HtmlReport::twoWayTable(std::string_view rowFormula, std::string_view colFormula,
                             const CrossTable& table) {
  html_ += placed(rowFormula) + " by " + placed(colFormula) + "<br />\n";
  html_ += kTableOpen;
  // The leading cell spans the two heading columns of the body rows.
  html_ += "<td colspan=\"2\">" + placed(rowFormula) + "</td>";
  for (const CategoryHeading& column : table.columns)
    html_ += "<td rowspan=\"2\" class=\"cell2\">" + placed(headingText(column)) + "</td>";
  html_ +=
      "</tr>\n<tr class=\"cell4\"><td>Statistic</td><td>" + placed(colFormula) + "</td></tr>\n";
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    if (!shown(table, r)) continue;
    if (options_.statisticPerLine())
      twoWayRowPerStatistic(table, r);
    else
      twoWayRow(table, r);
  }
  html_ += "</table>\n";
}

void HtmlReport::twoWayRow(const CrossTable& table, std::size_t r) {
  html_ += "<tr class=\"cell1\"><td class=\"cell2\">" + placed(headingText(table.rows[r])) +
           "</td><td class=\"cell4\">";
  statisticNames("<br />", "");
  html_ += "</td>";
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    const CellAccumulator& cell = table.cell(r, c);
    if (cell.count == 0) {
      html_ += "<td>&nbsp;</td>";
      continue;
    }
    html_ += "<td>";
    statisticValues(cell, table.bases(r, c), "<br />", "");
    html_ += "</td>";
  }
  html_ += "</tr>\n";
}

void HtmlReport::twoWayRowPerStatistic(const CrossTable& table, std::size_t r) {
  // A heading line with filler cells, then one line per statistic.
  html_ += "<tr class=\"cell1\"><td class=\"cell2\">" + placed(headingText(table.rows[r])) +
           "</td><td class=\"cell2\">&nbsp;";
  for (std::size_t c = 0; c < table.columns.size(); ++c)
    html_ += "</td><td>&nbsp;";
  html_ += "</td></tr>\n";
  for (TabStatistic statistic : options_.enabledStatistics()) {
    html_ += "<tr class=\"cell1\"><td class=\"cell2\">&nbsp;</td><td class=\"cell2\">";
    html_ += statisticName(statistic);
    html_ += "</td>";
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      const CellAccumulator& cell = table.cell(r, c);
      html_ += "<td>";
      html_ += cell.count == 0 ? std::string("&nbsp;")
                               : statisticText(cell, statistic, table.bases(r, c), options_.policy);
      html_ += "</td>";
    }
    html_ += "</tr>\n";
  }
}

std::string HtmlReport::outputPath() {
  return temporaryDirectoryWithin260() + "EvalResult.tbl";
}

void HtmlReport::save() const {
  const std::string path = outputPath();
  // The whole page is staged and replaces the file only once written, so a tabulation
  // that fails, even in this last step, leaves the file as it was.
  std::string page;
  if (!options_.pageHead() && !readWholeFile(path, page) && fileExists(path))
    raiseFailure("Can't read the tabulation output file " + path + ": " +
                 systemErrorText(lastSystemError()));
  page += html_;
  throwUnless(
      writeWholeFile(path, page, Durability::kScratch),
      "Can't write the tabulation output file " + path + ": " + systemErrorText(lastSystemError()));
}

}  // namespace tessary
