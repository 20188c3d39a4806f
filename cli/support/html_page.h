// The tool's HTML pages: one self-contained page (UTF-8, a title, a small style sheet)
// built section by section; every text placed in it is escaped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tab/html_report.h"  // escapeHtml, the one escape of texts placed in markup

namespace tessary::cli {

class HtmlPage {
 public:
  // The title is the page's <title> and its first heading.
  explicit HtmlPage(const std::string& title);

  void heading(const std::string& text);
  void paragraph(const std::string& text);
  // A table of texts; a row shorter than the header is padded with empty cells.
  void table(const std::vector<std::string>& header,
             const std::vector<std::vector<std::string>>& rows);
  // Preformatted text folded under a summary line.
  void folded(const std::string& summary, const std::string& text);
  // Markup the tool made itself and escaped as it went (an SVG map).
  void markup(const std::string& made);

  // The whole document.
  std::string text() const;

 private:
  std::string title_;
  std::string body_;
};

}  // namespace tessary::cli
