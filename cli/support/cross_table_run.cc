#include "support/cross_table_run.h"

#include "data/data_set_path.h"
#include "frame/failure.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/output_file.h"
#include "tessary.h"

namespace tessary::cli {
namespace {

constexpr int kOptionBytes = 15;

std::string joined(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items)
    out += (out.empty() ? "" : ",") + item;
  return out;
}

std::string tableFile() {
  return temporaryDirectory() + "EvalResult.tbl";
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

void tabulate(const XtabOptions& options, bool first) {
  const DataSetPath data = resolveDataSet(options.data);
  const bool table = !options.rows.empty();
  if (table == !options.variables.empty())
    raiseFailure("give either --vars or --rows (with --cols and --of as needed)");
  if (!table && (!options.columns.empty() || !options.of.empty()))
    raiseFailure("--cols and --of go with --rows");
  std::vector<std::string> statistics = options.statistics;
  if (statistics.empty()) {
    statistics = {"count"};
    if (!table || !options.of.empty()) statistics.push_back("mean");
  }
  std::vector<unsigned char> bytes = statisticBytes(statistics);
  bytes[0] = first ? 1 : 0;
  bytes[9] = options.statisticPerLine ? 1 : 0;
  const int mode = !table ? 0 : options.columns.empty() ? 1 : 2;
  const std::string list =
      table ? (options.of.empty() ? "1" : options.of) : joined(options.variables);
  const int source = data.combined ? options.level : 3;
  if (!data.combined && options.level != 0)
    raiseFailure(data.path + ": a data array has only level 0; levels need a .daA");
  const int result = CrossTabulate(nullptr, data.path.c_str(), source, options.filter.c_str(),
                                   options.weight.c_str(), mode, list.c_str(), options.rows.c_str(),
                                   options.columns.c_str(), bytes.data(), 1);
  // The library has shown its own message by now.
  if (result != 0) raiseFailure("no table was written");
}

void finishReport(const std::string& outPath) {
  std::string page;
  if (!readWholeFile(tableFile(), page)) raiseFailure(tableFile() + ": can't read the tables");
  page += "</body>\n</html>\n";
  writeOutputFile(outPath, page);
}

}  // namespace tessary::cli
