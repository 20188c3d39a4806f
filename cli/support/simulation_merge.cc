#include "support/simulation_merge.h"

#include <map>

#include "data/staging_directory.h"
#include "frame/failure.h"
#include "platform/text.h"
#include "support/area_estimates.h"
#include "support/json_file.h"
#include "support/simulation_record.h"

namespace tessary::cli {
namespace {

struct PartEstimates {
  SimulationRecord record;
  std::vector<AreaEstimate> rows;
};

PartEstimates readPart(const std::string& directory, const std::string& stem) {
  const std::string file = directory + "/" + stem + ".json";
  const nlohmann::json document = readJsonFile(file);
  PartEstimates part;
  part.record = recordFromJson(file, document);
  if (!part.record.partition)
    raiseFailure(file + ": not a partition (it was simulated without --partition)");
  part.rows = areaEstimatesFromJson(file, document);
  return part;
}

// The inputs by partition index, each checked against the first.
std::map<int, std::string> partitionsOf(const MergeOptions& options, SimulationRecord& first) {
  std::map<int, std::string> byIndex;
  for (const std::string& input : options.inputs) {
    const SimulationRecord record = readPart(input, "estimates").record;
    if (byIndex.empty()) first = record;
    if (!sameSettings(record, first) || record.partition->count != first.partition->count)
      raiseFailure(input + ": simulated with other settings than " + options.inputs.front() +
                   " (each partition must come from the same model, census and options)");
    const auto [at, added] = byIndex.emplace(record.partition->index, input);
    if (!added)
      raiseFailure(formatText("%s and %s are both partition %d/%d", at->second.c_str(),
                              input.c_str(), record.partition->index, record.partition->count));
  }
  for (int i = 1; i <= first.partition->count; ++i)
    if (byIndex.count(i) == 0)
      raiseFailure(formatText("partition %d/%d is missing", i, first.partition->count));
  return byIndex;
}

}  // namespace

std::string runMerge(const MergeOptions& options) {
  if (options.inputs.empty()) raiseFailure("give the partitions' directories");
  if (options.out.empty()) raiseFailure("give the directory to write (--out)");
  SimulationRecord first;
  const std::map<int, std::string> parts = partitionsOf(options, first);

  const StagingDirectory staging(options.out, "merge");
  std::vector<std::string> files;
  std::size_t areaCount = 0;
  for (std::size_t level = 0; level < first.areaDigits.size(); ++level) {
    const std::string stem = estimatesStem(first.areaDigits, level);
    SimulationRecord merged = first;
    merged.digits = first.areaDigits[level];
    merged.partition.reset();
    merged.households = merged.leftOut = merged.clusters = merged.areas = 0;
    std::vector<AreaEstimate> rows;
    std::map<std::string, std::string> areaSource;
    for (const auto& [index, directory] : parts) {
      PartEstimates part = readPart(directory, stem);
      SimulationRecord expected = first;
      expected.digits = merged.digits;
      if (!sameSettings(part.record, expected) || part.record.partition->index != index)
        raiseFailure(directory + "/" + stem + ".json: does not belong to the run of " + directory +
                     "/estimates.json");
      for (AreaEstimate& row : part.rows) {
        const auto [at, added] = areaSource.emplace(row.area, directory);
        if (!added)
          raiseFailure(formatText("area %s of level %d is in both %s and %s", row.area.c_str(),
                                  merged.digits, at->second.c_str(), directory.c_str()));
        rows.push_back(std::move(row));
      }
      merged.households += part.record.households;
      merged.leftOut += part.record.leftOut;
      merged.clusters += part.record.clusters;
      merged.areas += part.record.areas;
    }
    writeAreaEstimates(staging.path(), stem, rows, recordJson(merged));
    for (const std::string& file : areaEstimateFiles(stem))
      files.push_back(file);
    areaCount += rows.size();
  }
  staging.publishInto(options.out, files);
  return formatText("Merged %d partitions: %zu areas in %zu levels, written to %s",
                    first.partition->count, areaCount, first.areaDigits.size(),
                    options.out.c_str());
}

}  // namespace tessary::cli
