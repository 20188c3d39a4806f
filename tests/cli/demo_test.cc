#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/demo_run.h"
#include "test_support.h"

namespace tessary::cli {
namespace {

using testing::ScratchDir;

TEST(Demo, WritesBothDataSetsAndReportsWhatItRan) {
  ScratchDir dir;
  testing::ScopedEnv temporary("TMPDIR", dir.path().c_str());  // the library's table file
  DemoOptions options;
  options.directory = dir.file("demo");
  options.households = 3000;
  const std::string text = runDemo(options);
  for (const std::string& part :
       {std::string("census: 3000 households in"),
        std::string("Weighted log welfare in the survey by region (Univariate):\n"
                    "REGION        COUNT   POPULATION       MEAN"),
        std::string("North"), std::string("3000 records at level 0\ncount 3000  missing 0  mean "),
        std::string("      CODE      COUNT  LABEL\n         1 "),
        "Tables (CrossTabulate) -> " + dir.file("demo/tables.html"),
        std::string("  $ tessary fit "), std::string("  $ tessary simulate "),
        std::string("  $ tessary direct "), std::string("  $ tessary report ")})
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
  const std::string report = testing::readFile(dir.file("demo/report.html"));
  for (const char* part :
       {"<title>Poverty map of the synthetic country</title>", "<h2>Maps</h2>",
        "Headcount ratio (FGT0), model-based", "<h2>Estimates by area</h2>",
        "<h2>The welfare model of LNWELFARE</h2>", "<td>SIZE</td><td>Household size</td>"})
    EXPECT_NE(report.find(part), std::string::npos) << part;
  const std::string page = testing::readFile(dir.file("demo/tables.html"));
  for (const char* table : {"Weighted By: WEIGHT", ">Tertiary<", ">Rural<"})
    EXPECT_NE(page.find(table), std::string::npos) << table;
  for (const char* file : {"census.daA", "survey.daA", "census_households.daH",
                           "survey_households.daL", "survey_clusters.daD"})
    EXPECT_TRUE(std::filesystem::exists(dir.file("demo/") + file)) << file;
}

}  // namespace
}  // namespace tessary::cli
