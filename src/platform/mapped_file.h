// A file's bytes mapped read-only into memory, for readers that scan a whole file
// once: no copy and no fresh memory to fill. Only a regular file that is not empty
// maps; map() is false otherwise, and the caller reads the file instead.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/file.h"

namespace tessary {

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Maps the first `length` bytes of the open `file`; the mapping outlives the file.
  bool map(const File& file, std::size_t length);
  std::string_view content() const { return {static_cast<const char*>(data_), length_}; }

 private:
  void* data_ = nullptr;
  std::size_t length_ = 0;
};

}  // namespace tessary
