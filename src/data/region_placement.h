// Where a variable's values or holes are written in the value or hole file. A variable
// that already has a region gets a fresh one rather than its own, so that its old
// values stay readable until the header naming the new region is saved; regions given
// up are reused only after that save.
#pragma once

#include <cstdint>
#include <vector>

namespace tessary {

struct FileRegion {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

// The lowest offset at or after `start` where `length` bytes lie wholly before
// `fileEnd` and overlap none of `taken`; max(start, fileEnd), the end of the file,
// when there is no such gap.
std::uint64_t placeRegion(std::vector<FileRegion> taken, std::uint64_t start, std::uint64_t fileEnd,
                          std::uint64_t length);

}  // namespace tessary
