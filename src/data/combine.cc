#include "data/combine.h"

#include <cmath>

#include "data/data_set.h"
#include "data/data_set_path.h"
#include "data/level_sort.h"
#include "frame/failure.h"
#include "frame/number_format.h"
#include "platform/directories.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace tessary {
namespace {

std::string key(double v) {
  return formatGeneral(v, 15);
}

void requireKeys(const std::vector<double>& keys, const std::string& file, const std::string& name,
                 bool strictlyAscending) {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (!std::isfinite(keys[i]))
      raiseFailure(formatText("%s: record %zu has no %s value", file.c_str(), i + 1, name.c_str()));
    if (i == 0) continue;
    if (keys[i] < keys[i - 1])
      raiseFailure(
          formatText("%s: the records are not sorted by %s: record %zu (%s %s) comes "
                     "after record %zu (%s %s)",
                     file.c_str(), name.c_str(), i + 1, name.c_str(), key(keys[i]).c_str(), i,
                     name.c_str(), key(keys[i - 1]).c_str()));
    if (strictlyAscending && keys[i] == keys[i - 1])
      raiseFailure(formatText("%s: record %zu repeats %s %s of record %zu", file.c_str(), i + 1,
                              name.c_str(), key(keys[i]).c_str(), i));
  }
}

std::vector<double> readKeys(DataSet& data, const std::string& name) {
  const VariableRecord* record = data.header(0).find(name);
  if (record == nullptr) raiseFailure(data.headerPath(0) + ": no variable " + upperCase(name));
  // Codes of text keys are numbered per file and mean nothing across files.
  if (record->kind == 'C')
    raiseFailure(data.headerPath(0) + ": the key " + upperCase(name) +
                 " is categorical; levels are tied by a numeric key");
  const Column column = data.readColumn(name);
  return std::vector<double>(column.values.begin(), column.values.end());
}

void openLevel(DataSet& data, const std::string& argument) {
  const std::string path = dataArrayStem(argument) + ".daH";
  data.openDataArray(path);
  if (data.recordCount() == 0) raiseFailure(path + ": the data array has no records");
}

// The entries tying the records of `fine` to those of `coarse` by their key variable.
std::vector<DataRefEntry> tieLevels(DataSet& coarse, DataSet& fine, const std::string& key) {
  const std::vector<double> coarseKeys = readKeys(coarse, key);
  const std::vector<double> fineKeys = readKeys(fine, key);
  return matchLevels(coarseKeys, coarse.headerPath(0), fineKeys, fine.headerPath(0),
                     upperCase(key));
}

// How the .daA names a file: relative to its own directory when possible.
std::string lineFor(const std::string& path, const std::string& daaDirectory) {
  return relativePath(absolutePath(path), daaDirectory);
}

void sortLevel(const std::string& argument, const std::string& key, CombineReport& report) {
  const std::string path = dataArrayStem(argument) + ".daH";
  if (sortLevelByKey(path, key)) report.sorted.push_back(path + " by " + upperCase(key));
}

}  // namespace

std::vector<DataRefEntry> matchLevels(const std::vector<double>& coarseKeys,
                                      const std::string& coarseFile,
                                      const std::vector<double>& fineKeys,
                                      const std::string& fineFile, const std::string& keyName) {
  requireKeys(coarseKeys, coarseFile, keyName, true);
  requireKeys(fineKeys, fineFile, keyName, false);
  std::vector<DataRefEntry> entries;
  std::size_t c = 0, f = 0;
  while (c < coarseKeys.size() || f < fineKeys.size()) {
    DataRefEntry entry;
    const bool fineFirst =
        c == coarseKeys.size() || (f < fineKeys.size() && fineKeys[f] < coarseKeys[c]);
    if (fineFirst) {
      entry.parentCount = 0;
      entry.refKey = fineKeys[f];
    } else {
      entry.parentCount = 1;
      entry.refKey = coarseKeys[c++];
    }
    while (f < fineKeys.size() && fineKeys[f] == entry.refKey) {
      ++entry.childCount;
      ++f;
    }
    entries.push_back(entry);
  }
  return entries;
}

CombineReport combineDataSets(const CombineOptions& options) {
  CombineReport report;
  std::string daa = options.out;
  if (!upperCase(daa).ends_with(".DAA")) daa += ".daA";
  const std::string stem = daa.substr(0, daa.size() - 4);
  const std::string daaDirectory = directoryOf(absolutePath(daa));
  report.daaPath = daa;

  if (options.sort) {
    sortLevel(options.households, options.key, report);
    sortLevel(options.clusters, options.key, report);
    if (!options.auxiliary.empty()) sortLevel(options.auxiliary, options.auxiliaryKey, report);
  }
  DataSet households, clusters;
  openLevel(households, options.households);
  openLevel(clusters, options.clusters);
  const std::vector<DataRefEntry> entries = tieLevels(clusters, households, options.key);
  for (const DataRefEntry& entry : entries) {
    report.clustersWithoutHouseholds += entry.childCount == 0 ? 1 : 0;
    report.householdsWithoutCluster += entry.parentCount == 0 ? entry.childCount : 0;
  }
  report.clusterEntries = entries.size();

  std::string auxiliaryLine, auxiliaryRefLine;
  if (!options.auxiliary.empty()) {
    if (options.auxiliaryKey.empty()) raiseFailure("--aux needs --aux-key");
    DataSet auxiliary;
    openLevel(auxiliary, options.auxiliary);
    const std::vector<DataRefEntry> auxEntries =
        tieLevels(auxiliary, clusters, options.auxiliaryKey);
    report.auxiliaryEntries = auxEntries.size();
    writeDataRef(stem + "_aux.daR", options.amplifier, auxEntries);
    auxiliaryLine = lineFor(auxiliary.headerPath(0), daaDirectory);
    auxiliaryRefLine = lineFor(stem + "_aux.daR", daaDirectory);
  }
  writeDataRef(stem + "_clusters.daR", options.amplifier, entries);
  writeCombinedDescription(daa, lineFor(households.headerPath(0), daaDirectory),
                           lineFor(clusters.headerPath(0), daaDirectory),
                           lineFor(stem + "_clusters.daR", daaDirectory), auxiliaryLine,
                           auxiliaryRefLine);
  return report;
}

}  // namespace tessary
