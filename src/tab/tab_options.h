// The options byte array of a tabulation.
#pragma once

#include <array>
#include <cstdint>

#include "tab/cell_accumulator.h"

namespace tessary {

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
  std::uint8_t byte(int i) const { return bytes_[i]; }
  void set(int i, std::uint8_t value) { bytes_[i] = value; }

  // Mode 0 shows no percentages; a one-way table (mode 1) no row or column ones. The
  // second switch group follows the percentages it mirrors.
  void restrictForMode(int mode);

 private:
  std::array<std::uint8_t, kBytes> bytes_{};
};

}  // namespace tessary
