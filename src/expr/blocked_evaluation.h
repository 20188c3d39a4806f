// Elementwise expressions (arithmetic, comparisons and per-record functions only) run
// block by block, the blocks in parallel (platform/parallel.h): each block of records
// reads its slices of the expression's variables and runs the program over pieces of
// it with piece-sized slots, so the intermediate columns never leave the cache. Every
// record's value depends on that record alone, so the result is the same for any number
// of threads. Every check the program makes is structural, so a failure is raised by
// the first block exactly as a whole-column run would raise it. The functions that run
// in blocks read neither the weights nor the record numbers, which stay those of the
// whole range.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "data/value_range_reader.h"
#include "expr/evaluator.h"

namespace tessary {

// Records one run of the program covers.
inline constexpr std::size_t kBlockSize = 2048;
inline constexpr std::size_t kMostBlockedVariables = 8;

// A variable of a blocked run, made readable before any block runs.
struct BlockedVariable {
  const double* whole = nullptr;           // read whole (record fromRec first), or
  std::optional<ValueRangeReader> reader;  // read by each block
  bool inResult = false;                   // read straight into the result's records
  ValueKind kind = ValueKind::kNumeric;
  LabelMap labels;
};

// One slot's share of a blocked run (see forEachBlockInSlot): an evaluator of its own and
// the slices of the variables of the block it runs.
class BlockRunner {
 public:
  BlockRunner(const Evaluator& whole, const std::vector<BlockedVariable>& variables,
              std::span<double> result);
  BlockRunner(const BlockRunner&) = delete;
  BlockRunner& operator=(const BlockRunner&) = delete;

  // Runs records [begin, end) of the range (0-based) into the result.
  void run(std::size_t begin, std::size_t end);
  // The current piece of the expression's variable `index` into `slot`.
  void readBlock(std::size_t index, Slot& slot);
  // The last piece's result slot: its kind and labels are every piece's.
  const Slot& answer() const { return evaluator_.slots_[0]; }

 private:
  Evaluator evaluator_;
  const std::vector<BlockedVariable>& variables_;
  std::span<double> result_;
  std::array<ColumnBuffer<double>, kMostBlockedVariables> slices_;
  std::array<const double*, kMostBlockedVariables> values_{};  // the block's first record
  std::size_t pieceOffset_ = 0;  // of the current piece within the block
};

// While one exists, the evaluator runs in blocks; it gives the evaluator back its whole
// range and result column when it goes, however the run ends.
class BlockedEvaluation {
 public:
  BlockedEvaluation(Evaluator& evaluator, std::span<double> result);
  ~BlockedEvaluation();
  BlockedEvaluation(const BlockedEvaluation&) = delete;
  BlockedEvaluation& operator=(const BlockedEvaluation&) = delete;

  // Reads the variables and runs every block; false (nothing written) when the
  // expression's variables do not suit a blocked run.
  bool run();

 private:
  bool prepareVariables();

  Evaluator& evaluator_;
  std::span<double> result_;
  const std::size_t total_;  // records of the whole range
  std::vector<BlockedVariable> variables_;
  std::array<ColumnBuffer<double>, kMostBlockedVariables> columns_;
};

}  // namespace tessary
