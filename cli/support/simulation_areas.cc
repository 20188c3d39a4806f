#include "support/simulation_areas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "frame/failure.h"
#include "frame/number_format.h"
#include "platform/text.h"
#include "support/csv_export.h"

namespace tessary::cli {
namespace {

// Identifiers up to this are whole numbers a double holds exactly.
constexpr double kLargestExactWhole = 9007199254740992.0;

double shortened(double id, int digits) {
  return std::floor(id / std::pow(10.0, digits));
}

// Households of every cluster record; raises for a household tied to none.
std::vector<std::uint64_t> householdsPerCluster(const CensusColumns& census) {
  std::vector<std::uint64_t> counts(census.clusterCount(), 0);
  const ColumnBuffer<std::uint32_t>& clusterOf = census.clusterOf();
  for (std::int64_t h = 0; h < census.households(); ++h) {
    if (clusterOf[h] == kNoCluster)
      raiseFailure(formatText("%s: household %lld belongs to no cluster record",
                              census.path().c_str(), static_cast<long long>(h + 1)));
    ++counts[clusterOf[h]];
  }
  return counts;
}

void checkIdentifiers(const CensusColumns& census, const std::vector<std::uint64_t>& households) {
  for (std::uint32_t c = 0; c < census.clusterCount(); ++c) {
    const double id = census.clusterIds()[c];
    if (households[c] > 0 && !(id >= 0 && id == std::trunc(id) && id <= kLargestExactWhole))
      raiseFailure(formatText(
          "%s: the identifier %s of cluster record %u (%.17g) is not a whole number from 0 to "
          "2^53, so --area-digits can't shorten it",
          census.path().c_str(), census.clusterIdName().c_str(), c + 1, id));
  }
}

// Whether each cluster record belongs to the partition: the coarse areas in ascending
// order, each given to the partition its households' midpoint falls in.
std::vector<bool> partitionMembers(const CensusColumns& census,
                                   const std::vector<std::uint64_t>& households, int coarseDigits,
                                   Partition partition) {
  std::map<double, std::uint64_t> coarse;
  for (std::uint32_t c = 0; c < census.clusterCount(); ++c)
    if (households[c] > 0) coarse[shortened(census.clusterIds()[c], coarseDigits)] += households[c];
  const auto total = static_cast<double>(census.households());
  std::map<double, int> partitionOf;
  double before = 0;
  for (const auto& [key, count] : coarse) {
    const double middle = before + static_cast<double>(count) / 2;
    partitionOf[key] = std::min(partition.count - 1,
                                static_cast<int>(std::floor(middle / total * partition.count))) +
                       1;
    before += static_cast<double>(count);
  }
  std::vector<bool> members(census.clusterCount(), false);
  for (std::uint32_t c = 0; c < census.clusterCount(); ++c)
    members[c] = households[c] > 0 &&
                 partitionOf[shortened(census.clusterIds()[c], coarseDigits)] == partition.index;
  return members;
}

}  // namespace

Partition parsePartition(const std::string& text) {
  Partition p;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%d/%d%c", &p.index, &p.count, &extra) != 2 || p.count < 1 ||
      p.index < 1 || p.index > p.count)
    raiseFailure("--partition takes i/n with 1 <= i <= n (" + text + ")");
  return p;
}

SimulationAreas::SimulationAreas(const CensusColumns& census, const std::vector<int>& digits,
                                 Partition partition) {
  for (std::size_t l = 0; l < digits.size(); ++l) {
    if (digits[l] < 0 || digits[l] > kMostAreaDigits)
      raiseFailure(formatText("--area-digits goes from 0 to %d", kMostAreaDigits));
    if (std::count(digits.begin(), digits.end(), digits[l]) > 1)
      raiseFailure(formatText("--area-digits gives %d twice", digits[l]));
    levels_.push_back(Level{digits[l], {}, {}});
    if (digits[l] < digits[finest_]) finest_ = l;
  }
  const std::vector<std::uint64_t> households = householdsPerCluster(census);
  checkIdentifiers(census, households);
  const std::vector<bool> members = partitionMembers(
      census, households, *std::max_element(digits.begin(), digits.end()), partition);
  clusters_ = static_cast<std::uint64_t>(std::count(members.begin(), members.end(), true));

  // Each level's areas in key order, then each finest area's place in every level.
  std::vector<std::map<double, std::uint32_t>> keys(levels_.size());
  for (std::size_t l = 0; l < levels_.size(); ++l) {
    for (std::uint32_t c = 0; c < census.clusterCount(); ++c)
      if (members[c]) keys[l].emplace(shortened(census.clusterIds()[c], levels_[l].digits), 0);
    for (auto& [key, index] : keys[l]) {
      index = static_cast<std::uint32_t>(levels_[l].names.size());
      std::string name;
      name += formatGeneral(key, kRoundTrip);
      levels_[l].names.push_back(name);
    }
  }
  for (Level& level : levels_)
    level.ofFinest.assign(keys[finest_].size(), kNoArea);
  finestOfCluster_.assign(census.clusterCount(), kNoArea);
  for (std::uint32_t c = 0; c < census.clusterCount(); ++c) {
    if (!members[c]) continue;
    const double id = census.clusterIds()[c];
    finestOfCluster_[c] = keys[finest_].at(shortened(id, levels_[finest_].digits));
    for (std::size_t l = 0; l < levels_.size(); ++l)
      levels_[l].ofFinest[finestOfCluster_[c]] = keys[l].at(shortened(id, levels_[l].digits));
  }
}

}  // namespace tessary::cli
