// The areas of a simulation: the census cluster identifier with its last d digits
// dropped (trunc(id / 10^d)), for one or several d at once, and the partition of a
// partitioned run. A partition takes whole areas of the coarsest level (the most digits
// dropped), so it never splits an area of any level nor a cluster: those areas, taken
// in ascending order, are cut into `count` consecutive runs holding about the same
// number of households. Every partition reads the whole census, so all agree on the cut.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/census_columns.h"

namespace tessary::cli {

inline constexpr std::uint32_t kNoArea = 0xFFFFFFFFu;
inline constexpr int kMostAreaDigits = 15;

struct Partition {
  int index = 1;  // 1-based
  int count = 1;
};

// "i/n" with 1 <= i <= n; raises the tool's message otherwise.
Partition parsePartition(const std::string& text);

class SimulationAreas {
 public:
  // REQUIRES: digits not empty. Raises for digits out of 0..kMostAreaDigits or given
  // twice, a household tied to no cluster record, and an identifier (of a cluster with
  // households) that is not a whole number from 0 to 2^53.
  SimulationAreas(const CensusColumns& census, const std::vector<int>& digits, Partition partition);

  // Accumulation happens at the finest level (the fewest digits dropped).
  const std::vector<std::uint32_t>& finestAreaOfCluster() const { return finestOfCluster_; }
  std::size_t finestAreaCount() const { return levels_[finest_].names.size(); }

  std::size_t levelCount() const { return levels_.size(); }
  int digits(std::size_t level) const { return levels_[level].digits; }
  // The level's areas in ascending order, and the level's area of every finest area.
  const std::vector<std::string>& names(std::size_t level) const { return levels_[level].names; }
  const std::vector<std::uint32_t>& areaOfFinest(std::size_t level) const {
    return levels_[level].ofFinest;
  }
  // Cluster records with households in the partition.
  std::uint64_t clusters() const { return clusters_; }

 private:
  struct Level {
    int digits = 0;
    std::vector<std::string> names;
    std::vector<std::uint32_t> ofFinest;
  };
  std::vector<Level> levels_;
  std::size_t finest_ = 0;
  std::vector<std::uint32_t> finestOfCluster_;
  std::uint64_t clusters_ = 0;
};

}  // namespace tessary::cli
