// `tessary map`: a choropleth of area values as an SVG file.
#include <cstdio>
#include <memory>

#include "commands.h"
#include "support/map_file.h"

namespace tessary::cli {

void addMapCommand(CLI::App& app) {
  auto o = std::make_shared<MapFileOptions>();
  auto* command = app.add_subcommand("map", "Draw area values of a CSV file as an SVG map");
  command->add_option("SHAPES", o->shapes, "A standard shape file")->required();
  command->add_option("--values", o->values, "A CSV file with one row per area")->required();
  command->add_option("--id", o->id, "Its column holding the areas' GID")->required();
  command->add_option("--column", o->column, "Its column to draw")->required();
  command->add_option("--out", o->out, "The SVG file to write")->required();
  command->add_option("--title", o->map.title, "The map's title (default: the column)");
  command->add_option("--classes", o->map.classes, "Classes of equal area counts (default 5)")
      ->check(CLI::Range(1, 9));
  command->footer(
      "Example: mean log welfare by district from the demo, opened in a browser:\n"
      "  tessary map DIR/districts --values DIR/district_welfare.csv --id gid \\\n"
      "      --column mean_lnwelfare --title \"Mean log welfare\" --out welfare.svg");
  command->callback(
      [o] { runCommand("map", [&] { std::fputs(writeMapFile(*o).c_str(), stdout); }); });
}

}  // namespace tessary::cli
