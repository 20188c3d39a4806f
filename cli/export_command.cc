#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "support/csv_export.h"
#include "support/output_file.h"

namespace tessary::cli {
namespace {

struct ExportArguments {
  std::string data;
  std::string out;
  ExportOptions options;
};

}  // namespace

void addExportCommand(CLI::App& app) {
  auto arguments = std::make_shared<ExportArguments>();
  auto* command = app.add_subcommand(
      "export", "Write a data set (a combined one at household level) as a CSV file");
  command->add_option("DATA", arguments->data, "The data set (.daH or .daA)")->required();
  command->add_option("--out", arguments->out, "The CSV file to write, - for standard output")
      ->required();
  command->add_option("--vars", arguments->options.variables, "The variables, in this order")
      ->delimiter(',');
  command->add_flag("--codes", arguments->options.codes,
                    "Write categorical variables as codes rather than labels");
  command->callback([arguments] {
    runCommand("export", [&] {
      const std::uint64_t records = exportCsv(arguments->data, arguments->out, arguments->options);
      std::fprintf(reportStream(arguments->out), "Exported %llu records to %s\n",
                   static_cast<unsigned long long>(records), arguments->out.c_str());
    });
  });
}

}  // namespace tessary::cli
