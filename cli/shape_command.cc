// `tessary shape`: standard shape files, their linkage files and spatial smoothing.
#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "support/shape_tools.h"

namespace tessary::cli {
namespace {

// The neighbourhood options; exactly one of them is given.
struct NeighbourhoodChoice {
  bool contiguity = false;
  std::int32_t distance = -1, nearest = -1, inverse = -1;

  void addTo(CLI::App* command, bool withInverse) {
    auto* group = command->add_option_group("neighbourhood", "Which areas are neighbours");
    group->add_flag("--contiguity", contiguity, "Areas that touch (a .LMX file)");
    group->add_option("--distance", distance, "Label anchors at most KM apart (a .DMX file)")
        ->check(CLI::NonNegativeNumber);
    group->add_option("--nearest", nearest, "The K nearest label anchors (a .KMX file)")
        ->check(CLI::PositiveNumber);
    if (withInverse)
      group->add_option("--inverse-distance", inverse,
                        "Every other area, weighted by 1/distance^POWER");
    group->require_option(1);
  }
  Neighbourhood chosen() const {
    if (distance >= 0) return {2, distance};
    if (nearest >= 0) return {3, nearest};
    if (inverse >= 0) return {4, inverse};
    return {1, 1};
  }
};

void addInfo(CLI::App* shape) {
  auto path = std::make_shared<std::string>();
  auto* command = shape->add_subcommand("info", "Describe a shape file and its attribute table");
  command->add_option("SHAPES", *path, "The shape file (with or without .shp)")->required();
  command->footer("Example:\n  tessary shape info counties.shp");
  command->callback([path] {
    runCommand("shape info", [&] { std::fputs(describeShapeFile(*path).c_str(), stdout); });
  });
}

void addStandardize(CLI::App* shape) {
  auto o = std::make_shared<StandardizeOptions>();
  auto* command = shape->add_subcommand(
      "standardize", "One polygon per area identifier, sorted, with the summary table");
  command->add_option("SOURCE", o->source, "Any polygon shape file")->required();
  command->add_option("TARGET", o->target, "The standard shape file to write")->required();
  command->add_option("--id", o->id, "The field identifying areas")->required();
  command->add_option("--label", o->label, "The text field naming areas")->required();
  command->add_option("--start", o->start, "A text identifier's number starts here (0-based)");
  command->add_option("--length", o->length, "... and has this many characters");
  command->footer(
      "Example: counties identified by the number in FIPS (\"37001\"), named by NAME:\n"
      "  tessary shape standardize nc.shp counties --id FIPS --start 0 --length 5 --label NAME\n"
      "The library reports the two fields it reads on standard output.");
  command->callback([o] {
    runCommand("shape standardize", [&] { std::fputs(standardizeShapeFile(*o).c_str(), stdout); });
  });
}

void addAggregate(CLI::App* shape) {
  auto o = std::make_shared<AggregateOptions>();
  auto* command = shape->add_subcommand(
      "aggregate", "Unite the areas whose identifiers agree but for their last digits");
  command->add_option("SOURCE", o->source, "A standard shape file")->required();
  command->add_option("TARGET", o->target, "The coarser standard shape file")->required();
  command->add_option("--digits", o->digits, "How many last digits to drop")->required();
  command->add_option("--id", o->id, "The identifier field (default GID)");
  command->add_option("--label", o->label, "The label field (default Label)");
  command->footer(
      "Example: communes 110101, 110102, ... into districts 1101, 1102, ...:\n"
      "  tessary shape aggregate communes districts --digits 2\n"
      "The districts' contiguity is written to districts.LMX.");
  command->callback([o] {
    runCommand("shape aggregate", [&] { std::fputs(aggregateShapeFile(*o).c_str(), stdout); });
  });
}

void addLink(CLI::App* shape) {
  auto path = std::make_shared<std::string>();
  auto choice = std::make_shared<NeighbourhoodChoice>();
  auto* command = shape->add_subcommand("link", "Write the linkage file of a neighbourhood");
  command->add_option("SHAPES", *path, "A standard shape file")->required();
  choice->addTo(command, false);
  command->footer(
      "Examples:\n  tessary shape link counties --contiguity\n"
      "  tessary shape link counties --distance 50\n  tessary shape link counties --nearest 4");
  command->callback([path, choice] {
    runCommand("shape link",
               [&] { std::fputs(linkShapeFile(*path, choice->chosen()).c_str(), stdout); });
  });
}

void addSmooth(CLI::App* shape) {
  auto o = std::make_shared<SmoothOptions>();
  auto choice = std::make_shared<NeighbourhoodChoice>();
  auto* command = shape->add_subcommand(
      "smooth", "Replace each area's value by the mean of its neighbours' values");
  command->add_option("SHAPES", o->shapes, "A standard shape file")->required();
  command->add_option("--values", o->values, "A CSV file with one row per area")->required();
  command->add_option("--id", o->id, "Its column holding the areas' GID")->required();
  command->add_option("--column", o->column, "Its column to smooth")->required();
  command->add_option("--out", o->out, "The CSV file to write")->required();
  choice->addTo(command, true);
  command->footer(
      "Example: poverty rates by county, averaged over the touching counties:\n"
      "  tessary shape smooth counties --values poverty.csv --id fips --column rate \\\n"
      "      --contiguity --out smoothed.csv\n"
      "A missing .LMX, .DMX or .KMX file is built first.");
  command->callback([o, choice] {
    runCommand("shape smooth", [&] {
      o->neighbourhood = choice->chosen();
      std::fputs(smoothAreaValues(*o).c_str(), stdout);
    });
  });
}

}  // namespace

void addShapeCommand(CLI::App& app) {
  auto* shape =
      app.add_subcommand("shape", "Shape files: describe, standardize, aggregate, link, smooth");
  shape->require_subcommand(1);
  addInfo(shape);
  addStandardize(shape);
  addAggregate(shape);
  addLink(shape);
  addSmooth(shape);
}

}  // namespace tessary::cli
