#include "tab/tab_options.h"

#include <algorithm>

namespace tessary {

TabOptions::TabOptions(const std::uint8_t* bytes) {
  if (bytes != nullptr) std::copy(bytes, bytes + kBytes, bytes_.begin());
}

std::vector<TabStatistic> TabOptions::enabledStatistics() const {
  std::vector<TabStatistic> shown;
  for (int i = 1; i <= kTabStatisticCount; ++i)
    if (enabled(static_cast<TabStatistic>(i))) shown.push_back(static_cast<TabStatistic>(i));
  return shown;
}

void TabOptions::restrictForMode(int mode) {
  if (mode == 0) bytes_[6] = bytes_[7] = bytes_[8] = 0;
  if (mode == 1) bytes_[6] = bytes_[7] = 0;
  for (int i = 6; i <= 8; ++i)
    if (bytes_[i] == 0) bytes_[i + 6] = 0;
}

}  // namespace tessary
