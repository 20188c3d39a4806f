#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/fault_injection.h"
#include "platform/paths.h"

namespace tessary {

File::~File() {
  close();
}

File::File(File&& other) noexcept
    : fd_(other.fd_), path_(std::move(other.path_)), position_(other.position_) {
  other.fd_ = -1;
}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = other.fd_;
    path_ = std::move(other.path_);
    position_ = other.position_;
    other.fd_ = -1;
  }
  return *this;
}

bool File::open(std::string_view path, Mode mode) {
  close();
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::kRead:
      flags |= O_RDONLY;
      break;
    case Mode::kReadWrite:
      flags |= O_RDWR;
      break;
    case Mode::kCreate:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      break;
    case Mode::kOpenOrCreate:
      flags |= O_RDWR | O_CREAT;
      break;
    case Mode::kAppend:
      flags |= O_WRONLY | O_CREAT | O_APPEND;
      break;
    case Mode::kCreateNew:
      flags |= O_RDWR | O_CREAT | O_EXCL;
      break;
    case Mode::kWriteOnly:
      flags |= O_WRONLY;
      break;
  }
  std::string native = nativePath(path);
  position_ = 0;
  if (hasNulByte(native)) {
    errno = EINVAL;
    return false;
  }
  const auto operation =
      mode == Mode::kRead ? FileOperation::kOpenForReading : FileOperation::kOpenForWriting;
  if (injectedFault(operation, native) != 0) return false;
  do {
    fd_ = ::open(native.c_str(), flags, 0666);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ >= 0) {
    struct stat info;
    if (::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode)) {
      ::close(fd_);
      fd_ = -1;
      errno = EISDIR;
    }
  }
  if (fd_ >= 0) path_ = std::move(native);
  return fd_ >= 0;
}

void File::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  position_ = 0;
}

std::size_t File::readAt(std::uint64_t offset, void* buffer, std::size_t count) const {
  std::size_t done = 0;
  auto* bytes = static_cast<char*>(buffer);
  while (fd_ >= 0 && done < count) {
    ssize_t got = ::pread(fd_, bytes + done, count - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

std::size_t File::writeAt(std::uint64_t offset, const void* buffer, std::size_t count) {
  if (fd_ >= 0 && injectedFault(FileOperation::kWrite, path_) != 0) return 0;
  std::size_t done = 0;
  const auto* bytes = static_cast<const char*>(buffer);
  while (fd_ >= 0 && done < count) {
    ssize_t put = ::pwrite(fd_, bytes + done, count - done, static_cast<off_t>(offset + done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<std::size_t>(put);
  }
  return done;
}

std::size_t File::read(void* buffer, std::size_t count) {
  std::size_t done = readAt(position_, buffer, count);
  position_ += done;
  return done;
}

std::size_t File::write(const void* buffer, std::size_t count) {
  if (fd_ >= 0 && injectedFault(FileOperation::kWrite, path_) != 0) return 0;
  std::size_t done = 0;
  const auto* bytes = static_cast<const char*>(buffer);
  while (fd_ >= 0 && done < count) {
    // write(), not pwrite(): an append-mode descriptor must add at the end. A FIFO or
    // a terminal has no position to seek to.
    if (::lseek(fd_, static_cast<off_t>(position_ + done), SEEK_SET) < 0 && errno != ESPIPE) break;
    ssize_t put = ::write(fd_, bytes + done, count - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<std::size_t>(put);
  }
  position_ += done;
  return done;
}

bool File::seek(std::uint64_t offset) {
  if (fd_ < 0) return false;
  position_ = offset;
  return true;
}

std::int64_t File::size() const {
  struct stat info;
  if (fd_ < 0 || ::fstat(fd_, &info) != 0) return -1;
  return static_cast<std::int64_t>(info.st_size);
}

bool File::truncate(std::uint64_t length) {
  return fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(length)) == 0;
}

bool File::sync() {
  if (fd_ < 0 || injectedFault(FileOperation::kSync, path_) != 0) return false;
  return ::fsync(fd_) == 0;
}

void File::startWriteback(std::uint64_t offset, std::uint64_t count) {
  if (fd_ >= 0)
    ::sync_file_range(fd_, static_cast<off_t>(offset), static_cast<off_t>(count),
                      SYNC_FILE_RANGE_WRITE);
}

bool fileExists(std::string_view path) {
  struct stat info;
  return !hasNulByte(path) && ::stat(nativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool syncFile(std::string_view path) {
  File file;
  return file.open(path, File::Mode::kRead) && file.sync();
}

bool removeFile(std::string_view path) {
  const std::string native = nativePath(path);
  if (hasNulByte(native)) {
    errno = EINVAL;
    return false;
  }
  if (injectedFault(FileOperation::kRemove, native) != 0) return false;
  return ::unlink(native.c_str()) == 0;
}

bool readWholeFile(std::string_view path, std::string& content) {
  File file;
  if (!file.open(path, File::Mode::kRead)) return false;
  std::int64_t length = file.size();
  if (length < 0) return false;
  content.resize(static_cast<std::size_t>(length));
  std::size_t got = file.readAt(0, content.data(), content.size());
  content.resize(got);
  return got == static_cast<std::size_t>(length);
}

}  // namespace tessary
