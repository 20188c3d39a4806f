// The options of a tabulation: the caller's byte array, and how the numbers are
// accumulated and written.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tab/cell_accumulator.h"

namespace tessary {

// How a tabulation accumulates and writes its numbers.
//
// kExport is the CrossTabulate export's own arithmetic and page, which its hosts rely
// on: the weighted count is an integer truncated at every addition (and saturating at
// the 32-bit range), the mean divides by that integer, the standard deviation is
// formed from the sum of (w*x)^2, texts go into the page as given, and the page head
// is exactly the export's.
//
// kExact uses the weighted sums in double precision: the weighted count is the sum of
// the weights, the standard deviation is that of frequency weights, sqrt((sum w*x^2 -
// (sum w*x)^2 / W) / (W - 1)), and every percentage divides sums of the same weights.
// Its page escapes every text it places, declares UTF-8 and has a title, and writes
// every percentage with two decimals.
enum class TabPolicy { kExport, kExact };

class TabOptions {
 public:
  static constexpr int kBytes = 15;

  TabOptions() = default;
  // Copies the caller's 15 bytes (nullptr: all clear).
  explicit TabOptions(const std::uint8_t* bytes);

  bool pageHead() const { return (bytes_[0] & 1) != 0; }
  // Byte 9 lays a two-way table out with one line per statistic.
  bool statisticPerLine() const { return bytes_[9] != 0; }
  bool enabled(TabStatistic statistic) const { return bytes_[static_cast<int>(statistic)] != 0; }
  // The statistics shown, in order.
  std::vector<TabStatistic> enabledStatistics() const;
  std::uint8_t byte(int i) const { return bytes_[i]; }
  void set(int i, std::uint8_t value) { bytes_[i] = value; }

  // Mode 0 shows no percentages; a one-way table (mode 1) no row or column ones. The
  // second switch group follows the percentages it mirrors.
  void restrictForMode(int mode);

  TabPolicy policy = TabPolicy::kExport;
  // Leaves out the rows of a table without any record (kExact pages only ask for it).
  bool hideEmptyRows = false;

 private:
  std::array<std::uint8_t, kBytes> bytes_{};
};

}  // namespace tessary
