#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "data/cda.h"
#include "data/data_set.h"
#include "support/demo_run.h"
#include "support/synthetic_survey.h"
#include "test_support.h"

namespace tessary::cli {
namespace {

using testing::ScratchDir;

std::vector<double> column(const std::string& daa, const char* name) {
  DataSet data;
  data.openCombined(daa);
  const Column column = data.readColumn(name);
  return std::vector<double>(column.values.begin(), column.values.end());
}

TEST(SyntheticSurvey, NestedLevelsWeightsAndTheKnownModel) {
  ScratchDir dir;
  SyntheticOptions options;
  options.directory = dir.path();
  options.households = 30000;
  options.surveyClusters = 60;
  const SyntheticReport report = writeSyntheticSurvey(options);
  EXPECT_TRUE(report.censusHouseholds == 30000 && report.surveyClusters == 60 &&
              report.surveyHouseholds == 60 * 15);
  CDA census(report.censusDaa);
  census.load();
  EXPECT_TRUE(census.level(0).recordCount == 30000 &&
              census.level(1).recordCount == report.censusClusters &&
              !census.level(0).hasVariable("LNWELFARE"));
  // Every cluster holds 50-200 households.
  const DataRef& ref = census.clusterRef();
  for (std::size_t e = 0; e < ref.entryCount(); ++e)  // the last absorbs a remainder
    EXPECT_TRUE(ref.parentCount(e) == 1 && ref.childCount(e) >= 50 && ref.childCount(e) <= 249);
  // Cluster means read at household level agree with the households they summarise.
  const std::vector<double> size = column(report.censusDaa, "SIZE");
  const std::vector<double> clusterSize = column(report.censusDaa, "CL_SIZE");
  double first = 0;
  const std::uint32_t firstCount = census.clusterRef().childCount(0);
  for (std::uint32_t i = 0; i < firstCount; ++i)
    first += size[i];
  EXPECT_NEAR(clusterSize[0], first / firstCount, 1e-12);
  EXPECT_EQ(clusterSize[firstCount - 1], clusterSize[0]);

  // The weights estimate the census size (the welfare model is recovered from the survey
  // by Fit.KnownTruthFromSurveyToCensusHeadcounts).
  const std::vector<double> weight = column(report.surveyDaa, "WEIGHT");
  const double population = std::accumulate(weight.begin(), weight.end(), 0.0);
  EXPECT_NEAR(population / 30000.0, 1.0, 0.2);
}

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
  EXPECT_TRUE(page.ends_with("</table>\n</body>\n</html>\n")) << page.substr(page.size() - 200);
  for (const char* table :
       {"<p>SIZE (Numerical)<br />", "<p>EDUC (", "Weighted By: WEIGHT",
        "<td>REGION</td><td>Count</td><td>Mean</td>", "EDUC by URBAN", ">Tertiary<", ">Rural<"})

    EXPECT_NE(page.find(table), std::string::npos) << table;
  for (const char* file : {"census.daA", "survey.daA", "census_households.daH",
                           "survey_households.daL", "survey_clusters.daD"})
    EXPECT_TRUE(std::filesystem::exists(dir.file("demo/") + file)) << file;
}

}  // namespace
}  // namespace tessary::cli
