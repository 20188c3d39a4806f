#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "data/cda.h"
#include "support/demo_run.h"
#include "support/synthetic_survey.h"
#include "test_support.h"

namespace tessary::cli {
namespace {

using testing::ScratchDir;

std::vector<double> column(CDA& cda, const char* name) {
  std::vector<double> values(cda.maxRecordCount());
  cda.getValue(name, values, 1, cda.level(cda.cursor).recordCount);
  values.resize(cda.level(cda.cursor).recordCount);
  return values;
}

TEST(SyntheticSurvey, NestedLevelsWeightsAndTheKnownModel) {
  ScratchDir dir;
  SyntheticOptions options;
  options.directory = dir.path();
  options.households = 30000;
  options.surveyClusters = 60;
  const SyntheticReport report = writeSyntheticSurvey(options);
  EXPECT_EQ(report.censusHouseholds, 30000u);
  EXPECT_EQ(report.surveyClusters, 60u);
  EXPECT_EQ(report.surveyHouseholds, 60u * 15u);

  CDA census(report.censusDaa);
  census.load();
  EXPECT_EQ(census.level(0).recordCount, 30000u);
  EXPECT_EQ(census.level(1).recordCount, report.censusClusters);
  EXPECT_FALSE(census.level(0).hasVariable("LNWELFARE"));
  // Every cluster holds 50-200 households.
  for (std::size_t e = 0; e < census.clusterRef().entryCount(); ++e) {
    EXPECT_EQ(census.clusterRef().parentCount(e), 1u);
    EXPECT_GE(census.clusterRef().childCount(e), 50u);
    EXPECT_LE(census.clusterRef().childCount(e), 200u + 49u);  // the last absorbs a remainder
  }
  // Cluster means read at household level agree with the households they summarise.
  const std::vector<double> size = column(census, "SIZE");
  const std::vector<double> clusterSize = column(census, "CL_SIZE");
  double first = 0;
  const std::uint32_t firstCount = census.clusterRef().childCount(0);
  for (std::uint32_t i = 0; i < firstCount; ++i)
    first += size[i];
  EXPECT_NEAR(clusterSize[0], first / firstCount, 1e-12);
  EXPECT_EQ(clusterSize[firstCount - 1], clusterSize[0]);

  // The weights estimate the census size; the welfare model shows through the survey.
  CDA survey(report.surveyDaa);
  survey.load();
  const std::vector<double> weight = column(survey, "WEIGHT");
  const double population = std::accumulate(weight.begin(), weight.end(), 0.0);
  EXPECT_NEAR(population / 30000.0, 1.0, 0.2);
  const std::vector<double> welfare = column(survey, "LNWELFARE");
  const std::vector<double> electricity = column(survey, "ELECTRICITY");
  double with = 0, without = 0, nWith = 0, nWithout = 0;
  for (std::size_t i = 0; i < welfare.size(); ++i) {
    ASSERT_TRUE(std::isfinite(welfare[i]));
    (electricity[i] != 0 ? with : without) += welfare[i];
    (electricity[i] != 0 ? nWith : nWithout) += 1;
  }
  // Electricity raises log welfare by 0.25 directly and more through urban clusters.
  EXPECT_GT(with / nWith - without / nWithout, 0.2);
  EXPECT_LT(with / nWith - without / nWithout, 0.8);
}

TEST(Demo, WritesBothDataSetsAndReportsWhatItRan) {
  ScratchDir dir;
  testing::ScopedEnv temporary("TMPDIR", dir.path().c_str());  // the library's table file
  DemoOptions options;
  options.directory = dir.file("demo");
  options.households = 3000;
  const std::string text = runDemo(options);
  EXPECT_NE(text.find("census: 3000 households in"), std::string::npos) << text;
  EXPECT_NE(text.find("Weighted log welfare in the survey by region (Univariate):\n"
                      "REGION        COUNT   POPULATION       MEAN"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("North"), std::string::npos) << text;
  EXPECT_NE(text.find("3000 records at level 0\ncount 3000  mean "), std::string::npos) << text;
  EXPECT_NE(text.find("      CODE      COUNT  LABEL\n         1 "), std::string::npos) << text;
  EXPECT_NE(text.find("Tables (CrossTabulate) -> " + dir.file("demo/tables.html")),
            std::string::npos)
      << text;
  for (const char* step : {"  $ tessary fit ", "  Fitted LNWELFARE on ", "  $ tessary simulate ",
                           "  $ tessary direct ", "  $ tessary report "})
    EXPECT_NE(text.find(step), std::string::npos) << step;
  const std::string report = testing::readFile(dir.file("demo/report.html"));
  for (const char* part :
       {"<title>Poverty map of the synthetic country</title>", "<h2>Maps</h2>",
        "Headcount ratio (FGT0), model-based", "<h2>Estimates by area</h2>",
        "<h2>The welfare model of LNWELFARE</h2>", "<td>SIZE</td><td>Household size</td>"})
    EXPECT_NE(report.find(part), std::string::npos) << part;
  const std::string page = testing::readFile(dir.file("demo/tables.html"));
  EXPECT_EQ(page.rfind("<html>\n<head>\n", 0), 0u);
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
