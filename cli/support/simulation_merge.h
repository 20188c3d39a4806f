// `tessary merge`: the estimates of the partitions of one simulation (`tessary simulate
// --partition i/n` run for every i) combined into the estimates of the whole census,
// equal byte for byte to those of a run without partitions. It refuses inputs that are
// not all partitions of one run (same settings, same n), that leave a partition out or
// give one twice, or that hold the same area twice.
#pragma once

#include <string>
#include <vector>

namespace tessary::cli {

struct MergeOptions {
  std::vector<std::string> inputs;  // the partitions' output directories
  std::string out;
};

// Writes the merged estimates and returns the summary line (without a line feed).
std::string runMerge(const MergeOptions& options);

}  // namespace tessary::cli
