// The block runner: a three-stage oneTBB pipeline. A serial stage hands out block numbers in
// order, a parallel stage runs the blocks, and a serial in-order stage finishes them one at
// a time in block order. The pipeline's token limit bounds the blocks in flight, so a block
// number and its slot (block modulo the token limit) are never in use twice at once.
#include "platform/parallel.h"

#include <oneapi/tbb/parallel_pipeline.h>

#include <atomic>
#include <exception>

// oneTBB's scheduler is a prebuilt library that ThreadSanitizer cannot see into, so the
// ordering it provides (a block runs after it is handed out, is finished after it has run,
// the loop returns after all of that) is announced to the sanitizer here.
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TESSARY_TSAN 1
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define TESSARY_TSAN 1
#endif
#ifdef TESSARY_TSAN
#include <sanitizer/tsan_interface.h>
#define TESSARY_RELEASE(address) __tsan_release(address)
#define TESSARY_ACQUIRE(address) __tsan_acquire(address)
#else
#define TESSARY_RELEASE(address) static_cast<void>(address)
#define TESSARY_ACQUIRE(address) static_cast<void>(address)
#endif

namespace tessary::parallel_detail {
namespace {

// Blocks in flight per thread: enough to keep every thread busy while the in-order stage
// waits for a slow block.
constexpr std::size_t kSlotsPerThread = 4;

struct Run {
  Run(std::size_t blockCount, std::size_t slotCount, BlockWork& blockWork)
      : blocks(blockCount), slots(slotCount), work(blockWork), slotFailures(slotCount) {}

  const std::size_t blocks;
  const std::size_t slots;
  BlockWork& work;
  std::vector<std::exception_ptr> slotFailures;  // a block's failure, until it is finished
  std::size_t next = 0;                          // the hand-out stage's own
  std::exception_ptr failure;                    // the first in block order
  std::atomic<bool> stopped{false};
  char allRun = 0;  // the address the parallel stage announces its completions on
};

std::size_t handOut(Run& run, tbb::flow_control& control) {
  TESSARY_ACQUIRE(&run.next);
  std::size_t block = run.next;
  if (block == run.blocks || run.stopped.load(std::memory_order_relaxed))
    control.stop();
  else
    ++run.next;
  TESSARY_RELEASE(&run.next);
  return block;
}

void runOne(Run& run, std::size_t block) {
  TESSARY_ACQUIRE(&run.next);
  std::size_t slot = block % run.slots;
  TESSARY_ACQUIRE(&run.slotFailures[slot]);
  // Past a failure the block's result would be dropped anyway.
  if (!run.stopped.load(std::memory_order_relaxed)) {
    BlockScope scope;
    try {
      run.work.run(block, slot);
    } catch (...) {
      run.slotFailures[slot] = std::current_exception();
    }
  }
  TESSARY_RELEASE(&run.slotFailures[slot]);
  TESSARY_RELEASE(&run.allRun);
}

void finishOne(Run& run, std::size_t block) {
  TESSARY_ACQUIRE(&run.next);
  TESSARY_ACQUIRE(&run.failure);
  std::size_t slot = block % run.slots;
  TESSARY_ACQUIRE(&run.slotFailures[slot]);
  if (run.failure == nullptr) {
    std::swap(run.failure, run.slotFailures[slot]);
    if (run.failure == nullptr) {
      BlockScope scope;
      try {
        run.work.finish(block, slot);
      } catch (...) {
        run.failure = std::current_exception();
      }
    }
    if (run.failure != nullptr) run.stopped.store(true, std::memory_order_relaxed);
  }
  run.slotFailures[slot] = nullptr;
  TESSARY_RELEASE(&run.slotFailures[slot]);
  TESSARY_RELEASE(&run.failure);
}

void runPipeline(void* context) {
  Run& run = *static_cast<Run*>(context);
  auto handOutStage = tbb::make_filter<void, std::size_t>(
      tbb::filter_mode::serial_in_order,
      [&run](tbb::flow_control& control) { return handOut(run, control); });
  auto runStage = tbb::make_filter<std::size_t, std::size_t>(tbb::filter_mode::parallel,
                                                             [&run](std::size_t block) {
                                                               runOne(run, block);
                                                               return block;
                                                             });
  auto finishStage = tbb::make_filter<std::size_t, void>(
      tbb::filter_mode::serial_in_order, [&run](std::size_t block) { finishOne(run, block); });
  tbb::parallel_pipeline(run.slots, handOutStage & runStage & finishStage);
}

// One thread, or nothing to share: the blocks in order on the calling thread. The first
// failure ends the loop, as in the pipeline.
void runInline(std::size_t blocks, BlockWork& work) {
  BlockScope scope;
  for (std::size_t block = 0; block < blocks; ++block) {
    work.run(block, 0);
    work.finish(block, 0);
  }
}

}  // namespace

std::size_t slotsFor(std::size_t blocks) {
  return std::min(blocks, kSlotsPerThread * static_cast<std::size_t>(threadCount()));
}

void runBlocks(std::size_t blocks, std::size_t slots, BlockWork& work) {
  if (blocks == 0) return;
  if (blocks == 1 || slots == 1 || threadCount() == 1) {
    runInline(blocks, work);
    return;
  }
  Run run(blocks, slots, work);
  TESSARY_RELEASE(&run.next);
  executeOnWorkers(runPipeline, &run);
  TESSARY_ACQUIRE(&run.next);
  TESSARY_ACQUIRE(&run.allRun);
  TESSARY_ACQUIRE(&run.failure);
  if (run.failure != nullptr) std::rethrow_exception(run.failure);
}

}  // namespace tessary::parallel_detail
