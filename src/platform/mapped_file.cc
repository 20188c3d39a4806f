#include "platform/mapped_file.h"

#include <sys/mman.h>
#include <sys/stat.h>

namespace tessary {

MappedFile::~MappedFile() {
  if (data_ != nullptr) ::munmap(data_, length_);
}

bool MappedFile::map(const File& file, std::size_t length) {
  struct stat info {};
  if (data_ != nullptr || length == 0 || ::fstat(file.fd_, &info) != 0 || !S_ISREG(info.st_mode))
    return false;
  void* data = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, file.fd_, 0);
  if (data == MAP_FAILED) return false;
  ::madvise(data, length, MADV_SEQUENTIAL | MADV_WILLNEED);
  data_ = data;
  length_ = length;
  return true;
}

}  // namespace tessary
