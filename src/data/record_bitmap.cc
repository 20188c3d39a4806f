#include "data/record_bitmap.h"

#include <algorithm>
#include <vector>

#include "frame/missing.h"
#include "platform/parallel.h"

namespace tessary {

void expandPresent(const double* presentValues, const std::uint8_t* bitmap, double* out,
                   std::uint64_t records) {
  // kRecordsPerBlock is a multiple of 8: each block's bits start on a byte.
  const std::size_t blocks = blockCount(records, kRecordsPerBlock);
  std::vector<std::uint64_t> firstValue(blocks + 1, 0);
  for (std::size_t b = 0; b < blocks; ++b) {
    const std::uint64_t begin = b * kRecordsPerBlock;
    const std::uint64_t count = std::min<std::uint64_t>(kRecordsPerBlock, records - begin);
    firstValue[b + 1] = firstValue[b] + countPresent(bitmap + begin / 8, count);
  }
  forEachBlock(records, kRecordsPerBlock, [&](std::size_t, std::size_t begin, std::size_t end) {
    const double* next = presentValues + firstValue[begin / kRecordsPerBlock];
    for (std::size_t r = begin; r < end; ++r)
      out[r] = isHole(bitmap, r + 1) ? MISSING : *next++;
  });
}

}  // namespace tessary
