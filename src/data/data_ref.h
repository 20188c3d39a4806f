// The tie between the records of a coarser and a finer level (.daR): entry i pairs
// the next parentCount[i] coarser records with the next childCount[i] finer ones;
// skipped entries pair nothing.
#pragma once

#include <cstdint>
#include <string>

#include "platform/column_memory.h"

namespace tessary {

class DataRef {
 public:
  // Reads directory + baseName + ".daR"; true, or raises a message.
  bool load(const std::string& directory, const std::string& baseName);

  std::size_t entryCount() const { return count_; }
  double amplifier() const { return amplifier_; }
  double refKey(std::size_t i) const { return refKey_[i]; }
  std::uint32_t childCount(std::size_t i) const { return childCount_[i]; }
  bool skip(std::size_t i) const { return skip_[i] != 0; }
  std::uint32_t parentCount(std::size_t i) const { return parentCount_[i]; }

  std::string path() const { return directory_ + baseName_ + ".daR"; }

 private:
  std::string directory_;
  std::string baseName_;
  std::size_t count_ = 0;
  double amplifier_ = 1.0;
  ColumnBuffer<double> refKey_;
  ColumnBuffer<std::uint32_t> childCount_;
  ColumnBuffer<std::uint8_t> skip_;
  ColumnBuffer<std::uint32_t> parentCount_;
};

}  // namespace tessary
