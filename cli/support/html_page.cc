#include "support/html_page.h"

namespace tessary::cli {
namespace {

constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:2em;max-width:72em;color:#222}"
    "table{border-collapse:collapse;margin:1em 0}"
    "th,td{border:1px solid #bbb;padding:.2em .5em;text-align:right}"
    "th:first-child,td:first-child{text-align:left}th{background:#eee}"
    "pre{font-size:85%;background:#f6f6f6;padding:1em;overflow-x:auto}"
    "svg{max-width:100%;height:auto}";

}  // namespace

HtmlPage::HtmlPage(const std::string& title) : title_(title) {
  body_ = "<h1>" + escapeHtml(title) + "</h1>\n";
}

void HtmlPage::heading(const std::string& text) {
  body_ += "<h2>" + escapeHtml(text) + "</h2>\n";
}

void HtmlPage::paragraph(const std::string& text) {
  body_ += "<p>" + escapeHtml(text) + "</p>\n";
}

void HtmlPage::table(const std::vector<std::string>& header,
                     const std::vector<std::vector<std::string>>& rows) {
  body_ += "<table>\n<tr>";
  for (const std::string& cell : header)
    body_ += "<th>" + escapeHtml(cell) + "</th>";
  body_ += "</tr>\n";
  for (const std::vector<std::string>& row : rows) {
    body_ += "<tr>";
    for (std::size_t i = 0; i < header.size(); ++i)
      body_ += "<td>" + (i < row.size() ? escapeHtml(row[i]) : std::string()) + "</td>";
    body_ += "</tr>\n";
  }
  body_ += "</table>\n";
}

void HtmlPage::folded(const std::string& summary, const std::string& text) {
  body_ += "<details><summary>" + escapeHtml(summary) + "</summary>\n<pre>" + escapeHtml(text) +
           "</pre></details>\n";
}

void HtmlPage::markup(const std::string& made) {
  body_ += made;
}

std::string HtmlPage::text() const {
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
         escapeHtml(title_) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n" + body_ +
         "</body>\n</html>\n";
}

}  // namespace tessary::cli
