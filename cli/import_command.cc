#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "data/data_set_path.h"
#include "import/import_file.h"
#include "support/progress_bar.h"

namespace tessary::cli {
namespace {

struct ImportArguments {
  std::string file;
  std::string out;
  ImportOptions options;
};

void runImport(const ImportArguments& arguments) {
  ImportedTable table;
  auto reading = std::make_unique<ProgressBar>("Reading " + arguments.file, 1000);
  const ProgressCallback readProgress = [&](std::uint64_t done, std::uint64_t total) {
    reading->update(total == 0 ? 1000 : done * 1000 / total);
  };
  table = readImportFile(arguments.file, arguments.options.types, readProgress);
  reading.reset();

  ProgressBar writing("Writing " + arguments.out, table.columns.size());
  const WriteReport report =
      writeDataSet(table, arguments.out, arguments.options.write,
                   [&](std::uint64_t done, std::uint64_t) { writing.update(done); });
  writing.finish();
  std::printf("Imported %llu records and %zu variables into %s.daH\n",
              static_cast<unsigned long long>(report.records), report.variables,
              dataArrayStem(arguments.out).c_str());
  for (const std::string& note : report.notes)
    std::fprintf(stderr, "note: %s\n", note.c_str());
}

}  // namespace

void addImportCommand(CLI::App& app) {
  auto arguments = std::make_shared<ImportArguments>();
  auto* command = app.add_subcommand(
      "import",
      "Create a data array from a CSV, Stata (.dta), SPSS (.sav) or SAS (.sas7bdat) file");
  command->add_option("FILE", arguments->file, "The file to read")->required();
  command->add_option("--out", arguments->out, "The data array to create, DIR/NAME")->required();
  command->add_option("--id", arguments->options.write.idVariable,
                      "The record identifier variable");
  command->add_option("--weight", arguments->options.write.weightVariable,
                      "The sampling weight variable");
  command
      ->add_option("--text", arguments->options.types.text,
                   "Variables read as text (categorical) whatever they hold, VAR,...")
      ->delimiter(',');
  command
      ->add_option("--numeric", arguments->options.types.numeric,
                   "Variables read as numbers; cells that are not numbers become missing")
      ->delimiter(',');
  command->callback([arguments] { runCommand("import", [&] { runImport(*arguments); }); });
}

}  // namespace tessary::cli
