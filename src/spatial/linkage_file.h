// Linkage files: 32-bit little-endian integers without padding, the header kind,
// parameter and area count n, then n records: the area number (0 .. n-1 in order),
// its neighbour count and that many neighbour numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "spatial/linkage.h"

namespace tessary {

// The shape file's stem plus ".LMX", ".DMX" or ".KMX" for kinds 1, 2, 3 (no other).
std::string linkageFilePath(std::string_view shapePath, std::int32_t kind);

// Replaces the file's content; false when it cannot be written.
bool writeLinkageFile(const std::string& path, std::int32_t kind, std::int32_t parameter,
                      const NeighbourLists& lists);

// A linkage file read whole and checked against the kind and parameter wanted. Raises
// "Can't read from <path>" when it cannot be read or is shorter than its header and
// "<path> is different in structure" when its kind or parameter differ.
class LinkageFile {
 public:
  LinkageFile(std::string path, std::int32_t kind, std::int32_t parameter);

  std::int32_t areaCount() const { return areas_; }

  // The neighbour lists; raises "<path> is different in structure" when the records
  // do not match the header (an area out of order, a count beyond the file, a
  // neighbour that is no area, bytes left over).
  NeighbourLists lists() const;

 private:
  [[noreturn]] void differentInStructure() const;

  std::string path_;
  std::string bytes_;
  std::int32_t areas_ = 0;
};

}  // namespace tessary
