// Elementwise expressions (arithmetic, comparisons and per-record functions only) run
// block by block: their variables are read once, then the program runs over each block
// of records with block-sized slots, so the intermediate columns never leave the cache.
// Every check the program makes is structural, so a failure is raised by the first
// block exactly as a whole-column run would raise it. The functions that run in blocks
// read neither the weights nor the record numbers, which stay those of the whole range.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "expr/evaluator.h"

namespace tessary {

inline constexpr std::size_t kBlockSize = 2048;
inline constexpr std::size_t kMostBlockedVariables = 8;
// Numeric variables of a data array are read this many records at a time.
inline constexpr std::size_t kSliceSize = 16 * kBlockSize;

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
  // The current block of the expression's variable `index` into `slot`.
  void readBlock(std::size_t index, Slot& slot);

 private:
  struct Variable {
    const double* values = nullptr;  // record fromRec + valuesStart
    std::size_t valuesStart = 0;
    double* slice = nullptr;  // where slices are read to; null when read whole
    bool inResult = false;
    ValueKind kind = ValueKind::kNumeric;
    LabelMap labels;
  };

  bool readVariables();
  void readSlices(std::size_t offset, std::size_t count);

  Evaluator& evaluator_;
  std::span<double> result_;
  const std::size_t total_;  // records of the whole range
  std::size_t blockOffset_ = 0;
  std::vector<Variable> variables_;
  std::array<ColumnBuffer<double>, kMostBlockedVariables> columns_;
};

}  // namespace tessary
