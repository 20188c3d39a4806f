// Building a combined data array from a household and a cluster data array that share
// a key variable (and optionally an auxiliary level sharing a second key with the
// clusters): the data references (.daR) and the description (.daA).
#pragma once

#include <string>
#include <vector>

#include "data/data_set_builder.h"

namespace tessary {

// The entries tying a coarser level to a finer one, both sorted by key: one entry per
// key in ascending order, pairing the coarser record of that key (none when it has no
// coarser record) with the run of finer records holding it (none when no finer record
// does). Keys must be finite; the coarser keys strictly ascending, the finer ones
// ascending. Failures name the file and the first offending record.
std::vector<DataRefEntry> matchLevels(const std::vector<double>& coarseKeys,
                                      const std::string& coarseFile,
                                      const std::vector<double>& fineKeys,
                                      const std::string& fineFile, const std::string& keyName);

struct CombineOptions {
  std::string households{};
  std::string clusters{};
  std::string key{};
  std::string out{};  // the .daA
  double amplifier = 1.0;
  std::string auxiliary{};  // "" when none
  std::string auxiliaryKey{};
  // Sort each level's records by its key first (level_sort.h), rewriting the data
  // arrays that are out of order, rather than refusing them.
  bool sort = false;
};

struct CombineReport {
  std::string daaPath;
  std::size_t clusterEntries = 0;
  std::size_t clustersWithoutHouseholds = 0;
  std::uint64_t householdsWithoutCluster = 0;
  std::size_t auxiliaryEntries = 0;
  std::vector<std::string> sorted;  // the data arrays --sort rewrote, as "<path> by <KEY>"
};

CombineReport combineDataSets(const CombineOptions& options);

}  // namespace tessary
