#include "support/cross_table_run.h"

#include "data/data_set.h"
#include "frame/failure.h"
#include "platform/text.h"
#include "support/delimited_report.h"
#include "support/expression_messages.h"
#include "support/output_file.h"
#include "tab/xtab.h"

namespace tessary::cli {
namespace {

constexpr int kOptionBytes = 15;

std::string joined(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items)
    out += (out.empty() ? "" : ",") + item;
  return out;
}

void checkCombination(const XtabOptions& options) {
  const bool table = !options.rows.empty();
  if (table == !options.variables.empty())
    raiseFailure("give either --vars or --rows (with --cols and --of as needed)");
  if (!table && (!options.columns.empty() || !options.of.empty()))
    raiseFailure("--cols and --of go with --rows");
  if (options.bins < 0) raiseFailure("--bins takes a positive number of intervals");
}

std::vector<unsigned char> optionBytes(const XtabOptions& options, bool first) {
  const bool table = !options.rows.empty();
  std::vector<std::string> statistics = options.statistics;
  if (statistics.empty()) {
    statistics = {"count"};
    if (!table || !options.of.empty()) statistics.push_back("mean");
  }
  std::vector<unsigned char> bytes = statisticBytes(statistics);
  bytes[0] = first ? 1 : 0;
  bytes[9] = options.statisticPerLine ? 1 : 0;
  return bytes;
}

}  // namespace

std::vector<unsigned char> statisticBytes(const std::vector<std::string>& names) {
  const struct {
    const char* name;
    int byte;
  } known[] = {{"COUNT", 1}, {"MEAN", 2}, {"STD", 3},  {"SD", 3},  {"MIN", 4},    {"MAX", 5},
               {"ROW%", 6},  {"ROW", 6},  {"COL%", 7}, {"COL", 7}, {"TOTAL%", 8}, {"TOTAL", 8}};
  std::vector<unsigned char> bytes(kOptionBytes, 0);
  for (const std::string& name : names) {
    const std::string key = upperCase(name);
    bool found = false;
    for (const auto& k : known)
      if (key == k.name) {
        bytes[static_cast<std::size_t>(k.byte)] = 1;
        found = true;
      }
    if (!found)
      raiseFailure("unknown statistic " + name +
                   " (count, mean, std, min, max, row%, col%, total%)");
  }
  return bytes;
}

TableFormat tableFormat(const std::string& name) {
  const std::string key = upperCase(name);
  if (key == "HTML") return TableFormat::kHtml;
  if (key == "CSV") return TableFormat::kCsv;
  if (key == "TSV") return TableFormat::kTsv;
  raiseFailure("unknown format " + name + " (html, csv, tsv)");
}

std::string tabulate(const XtabOptions& options, bool first) {
  checkCombination(options);
  DataSet data;
  data.open(options.data, options.level);
  const bool table = !options.rows.empty();
  const int mode = !table ? 0 : options.columns.empty() ? 1 : 2;
  const std::string list =
      table ? (options.of.empty() ? "1" : options.of) : joined(options.variables);
  XTab xtab(data);
  xtab.setPresentation(options.compat ? TabPolicy::kExport : TabPolicy::kExact, options.hideEmpty);
  if (options.bins > 0) xtab.setRowLimit(options.bins);
  xtab.setup(mode, options.filter, chosenWeight(options.weight, data), list, options.rows,
             options.columns, optionBytes(options, first).data());
  if (options.format != TableFormat::kHtml)
    xtab.useReport(std::make_unique<DelimitedReport>(
        xtab.options(), options.format == TableFormat::kCsv ? ',' : '\t'));
  const std::string expressions = options.filter + "\n" + options.weight.name + "\n" + list + "\n" +
                                  options.rows + "\n" + options.columns;
  withExpressionHints(expressions, [&] { xtab.generate(); });
  return xtab.report().text();
}

void finishReport(const std::string& outPath, std::string text, TableFormat format) {
  if (format == TableFormat::kHtml) text += "</body>\n</html>\n";
  writeOutputFile(outPath, text);
}

}  // namespace tessary::cli
