#include "support/simulation_run.h"

#include <cmath>
#include <optional>

#include "data/staging_directory.h"
#include "frame/failure.h"
#include "platform/text.h"
#include "simulation/replication_summary.h"
#include "support/area_estimates.h"
#include "support/census_simulation.h"
#include "support/simulation_record.h"

namespace tessary::cli {
namespace {

constexpr int kMostReplications = 100000;

void checkOptions(const SimulateOptions& o) {
  if (o.replications < 1 || o.replications > kMostReplications)
    raiseFailure(formatText("--reps goes from 1 to %d", kMostReplications));
  if (!(std::isfinite(o.line) && o.line > 0))
    raiseFailure("give a poverty line above zero (--line)");
  if (o.areaDigits.empty()) raiseFailure("give the digits to drop for the areas (--area-digits)");
  if (o.errors != "normal" && o.errors != "empirical")
    raiseFailure("--errors is normal or empirical, not " + o.errors);
  if (o.out.empty()) raiseFailure("give the directory to write (--out)");
}

// The rows of one level: its areas' sums are those of its finest areas, added in the
// finest areas' order.
std::vector<AreaEstimate> levelEstimates(const SimulationAreas& areas, std::size_t level,
                                         const AreaTotals& totals, bool withPersons) {
  const std::size_t stride = static_cast<std::size_t>(totals.replications) * kMeasureSums;
  const std::vector<std::string>& names = areas.names(level);
  std::vector<AreaEstimate> rows(names.size());
  std::vector<double> weight(names.size(), 0.0), sums(names.size() * stride, 0.0);
  const std::vector<std::uint32_t>& areaOf = areas.areaOfFinest(level);
  for (std::size_t fine = 0; fine < areaOf.size(); ++fine) {
    const std::size_t a = areaOf[fine];
    rows[a].households += totals.households[fine];
    weight[a] += totals.weight[fine];
    for (std::size_t j = 0; j < stride; ++j)
      sums[a * stride + j] += totals.sums[fine * stride + j];
  }
  for (std::size_t a = 0; a < rows.size(); ++a) {
    AreaEstimate& row = rows[a];
    row.area = names[a];
    row.persons = withPersons ? weight[a] : static_cast<double>(row.households);
    const auto figures =
        summarizeReplications(sums.data() + a * stride, totals.replications, weight[a]);
    Estimate* out[] = {&row.mean, &row.fgt0, &row.fgt1, &row.fgt2};
    for (int m = 0; m < kMeasureSums; ++m)
      *out[m] = Estimate{figures[m].estimate, figures[m].standardError};
  }
  return rows;
}

SimulationRecord recordOf(const SimulateOptions& options, const FittedModel& model,
                          const std::string& clusterId, const std::optional<Partition>& partition) {
  SimulationRecord record;
  record.model = options.model;
  record.census = options.census;
  record.clusterId = clusterId;
  record.dependent = model.dependent;
  record.persons = options.persons;
  record.errors = options.errors;
  record.replications = options.replications;
  record.seed = options.seed;
  record.line = options.line;
  record.areaDigits = options.areaDigits;
  record.partition = partition;
  return record;
}

// Writes every level's files and returns what the summary line says of them.
std::string writeLevels(const SimulateOptions& options, const SimulationAreas& areas,
                        const AreaTotals& totals, SimulationRecord& record) {
  const StagingDirectory staging(options.out, "simulate");
  std::vector<std::string> files;
  std::string levels;
  for (std::size_t level = 0; level < areas.levelCount(); ++level) {
    const std::vector<AreaEstimate> rows =
        levelEstimates(areas, level, totals, !options.persons.empty());
    record.digits = areas.digits(level);
    record.areas = rows.size();
    const std::string stem = estimatesStem(options.areaDigits, level);
    writeAreaEstimates(staging.path(), stem, rows, recordJson(record));
    for (const std::string& file : areaEstimateFiles(stem))
      files.push_back(file);
    levels += formatText("%s%zu areas (%d digit%s dropped)", level == 0 ? "" : ", ", rows.size(),
                         record.digits, record.digits == 1 ? "" : "s");
  }
  staging.publishInto(options.out, files);
  return levels;
}

}  // namespace

std::string runSimulate(const SimulateOptions& options) {
  checkOptions(options);
  const std::optional<Partition> partition =
      options.partition.empty() ? std::nullopt : std::optional(parsePartition(options.partition));
  const FittedModel model = readFittedModel(options.model);
  const bool empirical = options.errors == "empirical";
  if (empirical && !model.empirical)
    raiseFailure(options.model + ": empirical: missing (--errors empirical draws from it)");
  const CensusColumns census(options.census, simulationVariables(model, options.persons),
                             options.cluster);
  const SimulationAreas areas(census, options.areaDigits, partition.value_or(Partition{}));

  const SimulationModel parameters = simulationModelOf(model);
  const ReplicationParameters replications =
      drawReplicationParameters(parameters, CounterDraws(options.seed), options.replications);
  SimulationSetup setup;
  setup.census = &census;
  setup.areas = &areas;
  setup.model = &model;
  setup.parameters = &parameters;
  setup.replications = &replications;
  setup.seed = options.seed;
  setup.line = options.line;
  setup.persons = options.persons;
  setup.empirical = empirical;
  const AreaTotals totals = simulateCensus(setup);

  SimulationRecord record = recordOf(options, model, census.clusterIdName(), partition);
  record.households = totals.simulated;
  record.leftOut = totals.leftOut;
  record.clusters = areas.clusters();
  const std::string levels = writeLevels(options, areas, totals, record);
  const std::string part =
      partition ? formatText(" (partition %d/%d)", partition->index, partition->count) : "";
  return formatText(
      "Simulated %d replications of %llu households in %llu clusters%s, %llu left "
      "out: %s; written to %s",
      options.replications, static_cast<unsigned long long>(totals.simulated),
      static_cast<unsigned long long>(areas.clusters()), part.c_str(),
      static_cast<unsigned long long>(totals.leftOut), levels.c_str(), options.out.c_str());
}

}  // namespace tessary::cli
