#include "regression/design_blocks.h"

#include <algorithm>

#include "data/record_bitmap.h"

namespace tessary {

DesignBlocks::DesignBlocks(RegressionData& data, const DesignPlan& plan, const std::uint8_t* mask,
                           std::int64_t records, const double* yhat)
    : reader_(data, plan, mask, yhat),
      columns_(plan.columnCount()),
      records_(static_cast<std::size_t>(std::max<std::int64_t>(records, 0))) {
  reader_.serializeReadsWith(reads_);
  firstRows_.reserve(blockCount(records_, kBlockRecords) + 1);
  firstRows_.push_back(0);
  for (std::size_t begin = 0; begin < records_; begin += kBlockRecords) {
    const std::size_t length = std::min(kBlockRecords, records_ - begin);
    firstRows_.push_back(firstRows_.back() +
                         (mask == nullptr ? length : countPresent(mask + begin / 8, length)));
  }
}

std::size_t DesignBlocks::leaseSize() const {
  return kBlockRecords * std::max<std::size_t>(columns_, 1) + reader_.scratchSize(kBlockRecords);
}

DesignRows DesignBlocks::fillBlock(std::size_t begin, std::size_t end, double* memory) const {
  const std::size_t firstRow = firstRows_[begin / kBlockRecords];
  double* scratch = memory + kBlockRecords * std::max<std::size_t>(columns_, 1);
  const std::size_t count =
      reader_.fill(static_cast<std::int64_t>(begin) + 1, static_cast<std::int64_t>(end), firstRow,
                   memory, kBlockRecords, scratch);
  return {memory, count, firstRow, kBlockRecords};
}

void DesignBlocks::fillAll(double* out, std::size_t ld) {
  forEachBlock(records_, kBlockRecords, [&](std::size_t block, std::size_t begin, std::size_t end) {
    auto lease = scratch_.lease(reader_.scratchSize(kBlockRecords));
    reader_.fill(static_cast<std::int64_t>(begin) + 1, static_cast<std::int64_t>(end),
                 firstRows_[block], out + firstRows_[block], ld, lease.data());
  });
}

}  // namespace tessary
