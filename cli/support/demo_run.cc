#include "support/demo_run.h"

#include <cmath>
#include <vector>

#include "data/data_set.h"
#include "frame/failure.h"
#include "platform/directories.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/cross_table_run.h"
#include "support/demo_map.h"
#include "support/demo_pipeline.h"
#include "support/expression_run.h"
#include "support/synthetic_survey.h"
#include "tessary.h"

namespace tessary::cli {
namespace {

std::string chooseDirectory(const std::string& requested) {
  if (requested.empty()) {
    const std::string made = createUniqueDirectory(temporaryDirectory(), "tessary-demo-");
    if (made.empty()) raiseFailure("can't create a directory under " + temporaryDirectory());
    return made;
  }
  if (!makeDirectories(requested)) raiseFailure(requested + ": can't create the directory");
  return requested.back() == '/' ? requested : requested + "/";
}

// Weighted log welfare by region through the library's Univariate: the survey's
// households are sorted by cluster and clusters by region, so regions are consecutive.
std::string welfareByRegion(const std::string& surveyDaa) {
  DataSet survey;
  survey.openCombined(surveyDaa);
  Column welfare = survey.readColumn("LNWELFARE");
  Column weights = survey.readColumn("WEIGHT");
  const Column regionColumn = survey.readColumn("REGION");
  const ColumnBuffer<double>& region = regionColumn.values;
  const LabelMap& labels = regionColumn.labels;
  std::vector<std::int32_t> groups;
  std::vector<double> codes;
  for (std::size_t i = 0; i < region.size(); ++i) {
    if (i == 0 || region[i] != region[i - 1]) {
      groups.push_back(0);
      codes.push_back(region[i]);
    }
    ++groups.back();
  }
  std::vector<double> out(groups.size() * 13);
  Univariate(welfare.values.data(), weights.values.data(),
             static_cast<std::int32_t>(welfare.values.size()), groups.data(),
             static_cast<std::int32_t>(groups.size()), out.data());
  std::string text = formatText("%-10s %8s %12s %10s %10s %10s %10s\n", "REGION", "COUNT",
                                "POPULATION", "MEAN", "P10", "MEDIAN", "P90");
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const double* s = &out[g * 13];
    const auto label = labels.find(static_cast<int>(codes[g]));
    text += formatText("%-10s %8.0f %12.0f %10.4f %10.4f %10.4f %10.4f\n",
                       label != labels.end() ? label->second.c_str() : "?", s[0], s[6], s[1], s[8],
                       s[4], s[11]);
  }
  return text;
}

std::string evalSection(const std::string& title, const std::string& daa,
                        const std::string& expression, int level = 0) {
  EvalOptions options;
  options.data = daa;
  options.expression = expression;
  options.level = level;
  options.weight.unweighted = true;  // these describe the records themselves
  return "\n" + title + " (tessary eval " + daa + " \"" + expression + "\"" +
         (level != 0 ? formatText(" --level %d", level) : std::string()) + " --unweighted):\n" +
         runEval(options);
}

}  // namespace

std::string runDemo(const DemoOptions& options, const ProgressCallback& progress) {
  SyntheticOptions synthetic;
  synthetic.directory = chooseDirectory(options.directory);
  synthetic.households = options.households;
  synthetic.seed = options.seed;
  const SyntheticReport report = writeSyntheticSurvey(synthetic, progress);

  std::string out = formatText(
      "Synthetic data in %s\n"
      "  census: %u households in %u clusters, %u districts, %u regions -> %s\n"
      "  survey: %u households in %u clusters, with sampling weights -> %s\n"
      "  log welfare = 7.2 - 0.11 SIZE + 0.07 ROOMS + 0.12 (EDUC-1) + 0.25 ELECTRICITY\n"
      "                + 0.18 urban + 0.40 CL_ELECTRICITY + cluster effect (variance %.4f)\n"
      "                + household error (s.d. 0.30 exp(0.06 (SIZE-4)))\n",
      synthetic.directory.c_str(), report.censusHouseholds, report.censusClusters, report.districts,
      report.regions, report.censusDaa.c_str(), report.surveyHouseholds, report.surveyClusters,
      report.surveyDaa.c_str(), kClusterEffectVariance);
  out += "\nWeighted log welfare in the survey by region (Univariate):\n";
  out += welfareByRegion(report.surveyDaa);
  out += evalSection("Household size in the census", report.censusDaa, "SIZE");
  out += evalSection("Education of the household head in the census", report.censusDaa, "EDUC");
  out += evalSection("Share of households with electricity per cluster in the census",
                     report.censusDaa, "CL_ELECTRICITY", 1);
  out += evalSection("Sampling weights in the survey", report.surveyDaa, "WEIGHT");

  // Tables: the library writes the fragments, the page is closed once at the end.
  XtabOptions summaries;
  summaries.data = report.censusDaa;
  summaries.variables = {"SIZE", "ROOMS", "EDUC", "ELECTRICITY", "URBAN"};
  std::string tables = tabulate(summaries, true);
  XtabOptions byRegion;
  byRegion.data = report.surveyDaa;
  byRegion.weight.name = "WEIGHT";
  byRegion.rows = "REGION";
  byRegion.of = "LNWELFARE";
  byRegion.statistics = {"count", "mean", "std", "min", "max"};
  tables += tabulate(byRegion, false);
  XtabOptions twoWay = byRegion;
  twoWay.rows = "EDUC";
  twoWay.columns = "URBAN";
  twoWay.statistics = {"count", "mean", "col%"};
  tables += tabulate(twoWay, false);
  const std::string page = synthetic.directory + "tables.html";
  finishReport(page, tables, TableFormat::kHtml);
  out += "\nTables (CrossTabulate) -> " + page +
         "\n  census: summaries of SIZE, ROOMS, EDUC, ELECTRICITY, URBAN\n"
         "  survey, weighted: LNWELFARE by REGION; LNWELFARE by EDUC and URBAN\n";
  out += writeDemoMap(synthetic.directory, report.censusDaa, report.surveyDaa, options.seed);
  out += runDemoPipeline(synthetic.directory, report, options.seed);
  out += "\nThe poverty map: " + synthetic.directory + "report.html\n";
  return out;
}

}  // namespace tessary::cli
