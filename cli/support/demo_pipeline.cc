#include "support/demo_pipeline.h"

#include "platform/text.h"
#include "support/direct_run.h"
#include "support/fit_run.h"
#include "support/output_file.h"
#include "support/poverty_report.h"
#include "support/simulation_run.h"

namespace tessary::cli {
namespace {

// The candidates: household variables and cluster means, the true model's and others.
constexpr const char* kProject =
    "[PROJECT]\nMaskFile=project.gmk\n[DataArray]\nSurvey=survey.daA\nCensus=census.daA\n"
    "[SelectedVars]\nVarList=SIZE,ROOMS,EDUC,ELECTRICITY,CL_URBAN,CL_ELECTRICITY,CL_SIZE,"
    "CL_ROOMS,CL_EDUCATED\nSPosition=0,0,0,0,1,1,1,1,1\nCPosition=0,0,0,0,1,1,1,1,1\n";

std::string step(const std::string& command, const std::string& summary) {
  return "  $ tessary " + command + "\n  " + summary + "\n";
}

}  // namespace

FitOptions demoFit(const std::string& directory) {
  writeOutputFile(directory + "project.ini", kProject);
  FitOptions fit;
  fit.project = directory + "project.ini";
  fit.lhs = "LNWELFARE";
  fit.out = directory + "fit";
  return fit;
}

SimulateOptions demoSimulation(const std::string& model, const std::string& censusDaa,
                               std::uint64_t seed, std::vector<int> areaDigits,
                               const std::string& out) {
  SimulateOptions simulate;
  simulate.model = model;
  simulate.census = censusDaa;
  simulate.seed = seed;
  simulate.line = kDemoPovertyLine;
  simulate.persons = "SIZE";
  simulate.cluster = "GEOCODE";
  simulate.areaDigits = std::move(areaDigits);
  simulate.out = out;
  return simulate;
}

std::string runDemoPipeline(const std::string& directory, const SyntheticReport& data,
                            std::uint64_t seed) {
  const std::string& d = directory;
  const FitOptions fit = demoFit(d);
  std::string out = "\nPoverty map (project file " + fit.project + "):\n";
  out += step("fit " + fit.project + " --lhs LNWELFARE --method stepwise --out " + fit.out,
              runFit(fit));

  const SimulateOptions simulate =
      demoSimulation(fit.out + "/model.json", data.censusDaa, seed, {2, 5}, d + "simulate");
  out += step(
      formatText("simulate --model %s --census %s --reps 100 --seed %llu --line %g "
                 "--persons SIZE --cluster GEOCODE --area-digits 2,5 --out %s",
                 simulate.model.c_str(), simulate.census.c_str(),
                 static_cast<unsigned long long>(seed), kDemoPovertyLine, simulate.out.c_str()),
      runSimulate(simulate));

  DirectOptions direct;
  direct.data = data.surveyDaa;
  direct.welfare = "EXP(LNWELFARE)";
  direct.cluster = "GEOCODE";
  direct.persons = "SIZE";
  direct.line = kDemoPovertyLine;
  direct.areaDigits = 2;
  direct.out = d + "direct";
  out += step(formatText("direct %s --welfare \"EXP(LNWELFARE)\" --cluster GEOCODE --persons "
                         "SIZE --line %g --area-digits 2 --out %s",
                         direct.data.c_str(), kDemoPovertyLine, direct.out.c_str()),
              runDirect(direct));

  ReportOptions report;
  report.fit = fit.out;
  report.simulate = simulate.out;
  report.direct = direct.out;
  report.shapes = d + "districts";
  report.title = "Poverty map of the synthetic country";
  report.out = d + "report.html";
  out += step("report --fit " + fit.out + " --simulate " + simulate.out + " --direct " +
                  direct.out + " --shapes " + report.shapes + " --out " + report.out,
              runReport(report));
  return out;
}

}  // namespace tessary::cli
