// A design read on the parallel layer: fixed blocks of kDesignBlockRecords records, each
// filled into working memory leased for it. The blocks depend on the record count alone
// and their results are combined in block order, so the design, and whatever is summed
// from it, come out the same, bit for bit, for any number of threads.
#pragma once

#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/parallel.h"
#include "platform/parallel_scratch.h"
#include "regression/design_matrix.h"

namespace tessary {

// One block's rows: column c of row r at values[c*ld + r], the first being row firstRow
// of the design.
struct DesignRows {
  const double* values;
  std::size_t count;
  std::size_t firstRow;
  std::size_t ld;
};

class DesignBlocks {
 public:
  // The blocks of records 1..records; `mask` and `yhat` as for DesignReader.
  DesignBlocks(RegressionData& data, const DesignPlan& plan, const std::uint8_t* mask,
               std::int64_t records, const double* yhat = nullptr);
  DesignBlocks(const DesignBlocks&) = delete;
  DesignBlocks& operator=(const DesignBlocks&) = delete;

  // See DesignReader::scaleByRootsOf.
  void scaleByRootsOf(const double* weights) { reader_.scaleByRootsOf(weights); }
  std::size_t rowCount() const { return firstRows_.back(); }

  // The whole design: column c of row r at out[c*ld + r]. REQUIRES: ld >= rowCount().
  void fillAll(double* out, std::size_t ld);

  // combine(...combine(combine(identity, map(block 0)), map(block 1))..., map(last block)),
  // map(const DesignRows&) -> T running in parallel, combine in block order (see
  // reduceBlocks). The rows live until map returns.
  template <class T, class Map, class Combine>
  T reduce(T identity, Map&& map, Combine&& combine) {
    return reduceBlocks(
        records_, kBlockRecords, std::move(identity),
        [&](std::size_t begin, std::size_t end) {
          auto lease = scratch_.lease(leaseSize());
          return map(fillBlock(begin, end, lease.data()));
        },
        combine);
  }

 private:
  static constexpr std::size_t kBlockRecords = kDesignBlockRecords;
  static_assert(kBlockRecords % 8 == 0, "blocks start on whole bytes of the mask");

  std::size_t leaseSize() const;
  // Fills records begin+1..end (one block) into the front of `memory` (leaseSize()
  // doubles), the reader's scratch behind them.
  DesignRows fillBlock(std::size_t begin, std::size_t end, double* memory) const;

  DesignReader reader_;
  std::size_t columns_;
  std::size_t records_;
  std::vector<std::size_t> firstRows_;  // of each block, then the number of rows
  std::mutex reads_;
  ScratchPool<double> scratch_;
};

}  // namespace tessary
