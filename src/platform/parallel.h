// Loops over fixed-size blocks of records, run on the layer's threads
// (platform/parallel_threads.h).
//
// Determinism: block b covers records [b * blockSize, min(count, (b + 1) * blockSize)); the
// boundaries depend on the count and the block size only, never on the thread count, and
// reduceBlocks() combines the per-block results strictly in block order. A kernel whose
// blocks compute the same values in the same order therefore gives bit-identical results,
// floating point included, for any number of threads.
//
// Failures: when blocks throw, the caller receives the exception of the first failing block
// in block order (the same one for any thread count). By then every earlier block has run
// to completion and been combined; later blocks may have run, wholly or in part, or not at
// all, so whatever blocks write outside their own results is unspecified after a failure:
// kernels write into outputs that the caller drops when a loop throws.
//
// Memory: blocks are handed out in order and at most a few per thread are in flight, so at
// most that many per-block results (and scratch buffers) are alive at once.
//
// Nesting: a block may run a loop of its own. The inner loop runs on the same threads (no
// oversubscription), and the thread waiting for it runs only inner blocks meanwhile. Do not
// hold a lock across a nested loop that other blocks may also take.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/parallel_threads.h"

namespace tessary {

// The block size of record kernels: large enough that handing out a block costs nothing
// next to the work in it, small enough that a few per thread stay in cache.
inline constexpr std::size_t kRecordsPerBlock = std::size_t{1} << 16;

// REQUIRES: blockSize > 0.
inline std::size_t blockCount(std::size_t count, std::size_t blockSize) {
  assert(blockSize > 0);
  return count / blockSize + (count % blockSize != 0 ? 1 : 0);
}

namespace parallel_detail {

// One loop as the non-template runner sees it. `slot` numbers the storage a block's result
// lives in between run() and finish(); blocks in flight at the same time never share one.
class BlockWork {
 public:
  virtual void run(std::size_t block, std::size_t slot) = 0;
  // Called for blocks 0, 1, 2, ... in order, each after its run() has returned.
  virtual void finish(std::size_t block, std::size_t slot) = 0;

 protected:
  ~BlockWork() = default;
};

// The number of slots a loop of `blocks` blocks needs: blocks in flight at most.
std::size_t slotsFor(std::size_t blocks);

// Runs every block of `work` and rethrows the first failure in block order.
void runBlocks(std::size_t blocks, std::size_t slots, BlockWork& work);

template <class Fn>
class ForEachWork final : public BlockWork {
 public:
  ForEachWork(std::size_t count, std::size_t blockSize, Fn& fn)
      : count_(count), blockSize_(blockSize), fn_(fn) {}
  void run(std::size_t block, std::size_t) override {
    std::size_t begin = block * blockSize_;
    fn_(block, begin, begin + std::min(blockSize_, count_ - begin));
  }
  void finish(std::size_t, std::size_t) override {}

 private:
  std::size_t count_, blockSize_;
  Fn& fn_;
};

template <class Fn>
class SlotWork final : public BlockWork {
 public:
  SlotWork(std::size_t count, std::size_t blockSize, Fn& fn)
      : count_(count), blockSize_(blockSize), fn_(fn) {}
  void run(std::size_t block, std::size_t slot) override {
    std::size_t begin = block * blockSize_;
    fn_(slot, begin, begin + std::min(blockSize_, count_ - begin));
  }
  void finish(std::size_t, std::size_t) override {}

 private:
  std::size_t count_, blockSize_;
  Fn& fn_;
};

template <class T, class Map, class Combine>
class ReduceWork final : public BlockWork {
 public:
  ReduceWork(std::size_t count, std::size_t blockSize, T identity, Map& map, Combine& combine)
      : count_(count),
        blockSize_(blockSize),
        map_(map),
        combine_(combine),
        total_(std::move(identity)),
        slots_(slotsFor(blockCount(count, blockSize))) {}
  void run(std::size_t block, std::size_t slot) override {
    std::size_t begin = block * blockSize_;
    slots_[slot].emplace(map_(begin, begin + std::min(blockSize_, count_ - begin)));
  }
  void finish(std::size_t, std::size_t slot) override {
    total_ = combine_(std::move(total_), std::move(*slots_[slot]));
    slots_[slot].reset();
  }
  std::size_t slotCount() const { return slots_.size(); }
  T& total() { return total_; }

 private:
  std::size_t count_, blockSize_;
  Map& map_;
  Combine& combine_;
  T total_;
  std::vector<std::optional<T>> slots_;
};

}  // namespace parallel_detail

// Calls fn(block, begin, end) once for every block of [0, count), blocks in parallel.
// REQUIRES: blockSize > 0.
template <class Fn>
void forEachBlock(std::size_t count, std::size_t blockSize, Fn&& fn) {
  std::size_t blocks = blockCount(count, blockSize);
  parallel_detail::ForEachWork<std::remove_reference_t<Fn>> work(count, blockSize, fn);
  parallel_detail::runBlocks(blocks, parallel_detail::slotsFor(blocks), work);
}

// The number of slots forEachBlockInSlot() hands its blocks.
inline std::size_t blockSlots(std::size_t count, std::size_t blockSize) {
  return parallel_detail::slotsFor(blockCount(count, blockSize));
}

// Calls fn(slot, begin, end) once for every block [begin, end) of [0, count), blocks in
// parallel. `slot` is below blockSlots(count, blockSize) and no two blocks in flight share
// one, so working memory kept per slot needs no lock.
// REQUIRES: blockSize > 0.
template <class Fn>
void forEachBlockInSlot(std::size_t count, std::size_t blockSize, Fn&& fn) {
  std::size_t blocks = blockCount(count, blockSize);
  parallel_detail::SlotWork<std::remove_reference_t<Fn>> work(count, blockSize, fn);
  parallel_detail::runBlocks(blocks, parallel_detail::slotsFor(blocks), work);
}

// combine(...combine(combine(identity, map(block 0)), map(block 1))..., map(last block)),
// the maps run in parallel as map(begin, end) -> T, the combining strictly in block order on
// one thread at a time. An empty range gives `identity`.
// REQUIRES: blockSize > 0.
template <class T, class Map, class Combine>
T reduceBlocks(std::size_t count, std::size_t blockSize, T identity, Map&& map, Combine&& combine) {
  parallel_detail::ReduceWork<T, std::remove_reference_t<Map>, std::remove_reference_t<Combine>>
      work(count, blockSize, std::move(identity), map, combine);
  parallel_detail::runBlocks(blockCount(count, blockSize), work.slotCount(), work);
  return std::move(work.total());
}

}  // namespace tessary
