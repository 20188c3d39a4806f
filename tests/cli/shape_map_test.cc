// The tool's shape commands and SVG maps over a small grid of districts.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "../spatial/shape_fixture.h"
#include "platform/file.h"
#include "support/area_estimates.h"
#include "support/map_file.h"
#include "support/poverty_report.h"
#include "support/shape_tools.h"
#include "test_support.h"

namespace tessary::cli {
namespace {

using testing::failureText;
using testing::readFile;
using testing::ScratchDir;
using testing::writeFile;

// Six unit squares, 3 x 2, standardised, with values for five of them.
struct Districts {
  ScratchDir dir;
  std::string shapes = dir.file("districts");
  std::string values = dir.file("values.csv");
  Districts() {
    testing::writeSquareGrid(dir.file("raw"), 3, 2);
    StandardizeOptions o{dir.file("raw"), shapes, "GID", "NAME"};
    ::testing::internal::CaptureStdout();
    standardizeShapeFile(o);
    ::testing::internal::GetCapturedStdout();
    writeFile(values, "gid,welfare,name\n1,10,a\n2,20,b\n3,30,c\n4,40,d\n6,,f\n5,50,e\n");
  }
};

TEST(ShapeTool, StandardizeLinkAndSmooth) {
  Districts d;
  EXPECT_EQ(linkShapeFile(d.shapes, {1, 1}),
            "Wrote " + d.shapes +
                ".LMX: contiguity of 6 areas, 3.00 neighbours per area, 0 "
                "without any\n");
  SmoothOptions o{d.shapes, d.values, "GID", "Welfare", d.dir.file("out.csv"), {3, 1}};
  EXPECT_EQ(smoothAreaValues(o), "built " + d.shapes +
                                     ".KMX\nSmoothed Welfare over the 1 "
                                     "nearest neighbours: 6 areas, 5 with a value, 5 smoothed -> " +
                                     o.out + "\n");
  // Nearest anchors: area 1 -> 2; from area 2 the areas 1 and 3 are equally near and
  // the library's quicksort puts 3 first.
  EXPECT_EQ(readFile(o.out).substr(0, 57),
            "GID,label,Welfare,Welfare_smoothed\n1,A1,10,20\n2,A2,20,30\n");
  o.neighbourhood = {2, 500};
  smoothAreaValues(o);
  EXPECT_NE(readFile(o.out).find("\n6,A6,,30\n"), std::string::npos);
  EXPECT_EQ(failureText([&] {
              linkShapeFile(d.dir.file("none"), {2, 5});
            }),
            d.dir.file("none") + ".dbf: can't open the attribute table");
  EXPECT_EQ(aggregateShapeFile({d.dir.file("raw"), d.dir.file("agg"), "GID", "NAME", 1}),
            "Wrote " + d.dir.file("agg") + ".shp: 1 areas (GID without its last 1 digits), " +
                "contiguity in " + d.dir.file("agg") + ".LMX\n");
  o.column = "NAME";
  EXPECT_EQ(failureText([&] { smoothAreaValues(o); }),
            d.values + ": column name does not hold numbers");
}

TEST(MapFile, SvgWithLegendTitlesAndHoverLabels) {
  Districts d;
  MapFileOptions o{d.shapes, d.values, "GID", "welfare", d.dir.file("map.svg"), {"", "", 3}};
  EXPECT_EQ(writeMapFile(o), "Wrote " + o.out + ": 6 areas, 5 with a value of welfare (6 rows in " +
                                 d.values + ")\n");
  const std::string svg = readFile(o.out);
  for (const char* part : {"<title>welfare</title>", "<title>A1 (1): 10</title>",
                           "<title>A6 (6): no data</title>", "fill=\"#440154\"", "fill=\"#d9d9d9\"",
                           "10 \u2013 20 (2)", "50 \u2013 50 (1)", "no data (1)", "</svg>\n"})
    EXPECT_NE(svg.find(part), std::string::npos) << part;

  // A browser takes it as a well-formed SVG document.
  if (std::system("command -v chromium >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "chromium is absent (make deps-optional installs it)";
  const std::string dom = d.dir.file("dom.html");
  const std::string command = "chromium --headless --no-sandbox --disable-gpu --dump-dom file://" +
                              o.out + " >" + dom + " 2>/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string parsed = readFile(dom);
  EXPECT_EQ(parsed.find("parsererror"), std::string::npos) << parsed;
  EXPECT_NE(parsed.find("<title>A5 (5): 50</title>"), std::string::npos) << parsed;
  EXPECT_NE(parsed.find("id=\"legend\""), std::string::npos);
}

AreaEstimate headcount(const std::string& area, double fgt0, double se) {
  AreaEstimate row;
  row.area = area;
  row.households = 7;
  row.fgt0 = {fgt0, se};
  return row;
}

// The page of a poverty map: escaped texts, UTF-8 and a title, both maps, and the
// model-based estimates beside the direct ones by area.
TEST(PovertyReport, MapsAndEstimatesOnOneEscapedPage) {
  Districts d;
  for (const char* sub : {"model", "direct"})
    std::filesystem::create_directory(d.dir.file(sub));
  writeAreaEstimates(
      d.dir.file("model/"),
      {headcount("1", 0.2, 0.02), headcount("2", 0.3, 0.03), headcount("3", 0.1, 0.05)},
      {{"line", 900}});
  writeAreaEstimates(d.dir.file("direct/"),
                     {headcount("1", 0.25, 0.1), headcount("x<&>", 0.5, 0.1)}, {});
  ReportOptions o;
  o.simulate = d.dir.file("model");
  o.direct = d.dir.file("direct/estimates.json");
  o.shapes = d.shapes;
  o.title = "T <&> \"q\"";
  o.out = d.dir.file("page.html");
  EXPECT_EQ(runReport(o),
            "Wrote " + o.out + ": 3 areas of model-based and 2 of direct estimates, 3 mapped");
  const std::string page = readFile(o.out);
  EXPECT_EQ(page.rfind("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<title>T &lt;&amp;&gt; &quot;q&quot;</title>",
                       0),
            0u);
  for (const char* part :
       {"<h1>T &lt;&amp;&gt; &quot;q&quot;</h1>", "<p>Poverty line: 900.</p>",
        "<tr><td>1</td><td>7</td><td>0.2</td><td>0.02</td><td>10</td><td></td><td></td>"
        "<td>7</td><td>0.25</td><td>0.1</td><td>40</td><td></td><td></td></tr>",
        "<tr><td>x&lt;&amp;&gt;</td><td></td>",
        "Areas with both estimates: 1; the median CV of their headcount is 10 % model-based "
        "and 40 % direct.",
        "Coefficient of variation of the headcount"})
    EXPECT_NE(page.find(part), std::string::npos) << part;
  EXPECT_EQ(page.find("x<&>"), std::string::npos);
  std::size_t maps = 0;
  for (std::size_t at = page.find("<svg"); at != std::string::npos; at = page.find("<svg", at + 1))
    ++maps;
  EXPECT_EQ(maps, 2u);

  writeAreaEstimates(d.dir.file("model/"), {headcount("a", 0.2, 0.02)}, {});
  EXPECT_EQ(failureText([&] { runReport(o); }),
            d.shapes + ": no area's GID is among the areas of " + o.simulate + "/estimates.json");
  o.simulate.clear();
  EXPECT_EQ(failureText([&] { runReport(o); }), "--shapes needs --simulate");
  o.direct.clear();
  EXPECT_EQ(failureText([&] { runReport(o); }),
            "give at least one of --fit, --simulate and --direct");
}

}  // namespace
}  // namespace tessary::cli
