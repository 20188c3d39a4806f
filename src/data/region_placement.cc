#include "data/region_placement.h"

#include <algorithm>

namespace tessary {

std::uint64_t placeRegion(std::vector<FileRegion> taken, std::uint64_t start, std::uint64_t fileEnd,
                          std::uint64_t length) {
  std::sort(taken.begin(), taken.end(),
            [](const FileRegion& a, const FileRegion& b) { return a.offset < b.offset; });
  std::uint64_t candidate = start;
  for (const FileRegion& region : taken) {
    if (region.length == 0) continue;
    // Damaged headers may name regions past the end of the file; no gap lies there.
    if (region.offset >= fileEnd) break;
    if (region.offset >= candidate && region.offset - candidate >= length) return candidate;
    candidate = std::max(candidate, region.offset + std::min(region.length, fileEnd));
  }
  if (candidate < fileEnd && fileEnd - candidate >= length) return candidate;
  return std::max(start, fileEnd);
}

}  // namespace tessary
