// The file layer: every byte the library reads or writes goes through File.
//
// POSIX descriptors with 64-bit offsets. A File keeps a current position for the
// sequential calls and offers positional reads and writes beside them. Failures do
// not throw here: open() reports false and the byte counts tell what moved, so each
// caller raises its own message; lastSystemError() gives errno. Every open, write and
// sync first asks the fault hook (platform/fault_injection.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessary {

class File {
 public:
  enum class Mode {
    kRead,          // existing file, read only
    kReadWrite,     // existing file, read and write
    kCreate,        // created or truncated, read and write
    kOpenOrCreate,  // created when absent, kept when present, read and write
    kAppend,        // created when absent, every write at the end
    kCreateNew,     // created, must not exist yet, read and write
    kWriteOnly,     // existing file, write only, not truncated (a FIFO or a device)
  };

  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens `path` ('\' accepted as a separator); false when the system refuses.
  bool open(std::string_view path, Mode mode);
  void close();
  bool isOpen() const { return fd_ >= 0; }

  // Sequential access from the current position; returns the bytes moved.
  std::size_t read(void* buffer, std::size_t count);
  std::size_t write(const void* buffer, std::size_t count);

  // Positional access; the current position does not move.
  std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t count) const;
  std::size_t writeAt(std::uint64_t offset, const void* buffer, std::size_t count);

  bool seek(std::uint64_t offset);
  std::uint64_t position() const { return position_; }
  // The file's length in bytes, or -1 when it cannot be read.
  std::int64_t size() const;
  bool truncate(std::uint64_t length);
  // Makes what was written durable; false when the system refuses.
  bool sync();
  // Starts writing a range to the disk without waiting, so that a later sync has less
  // to wait for. A hint: nothing is reported.
  void startWriteback(std::uint64_t offset, std::uint64_t count);

 private:
  friend class MappedFile;
  int fd_ = -1;
  std::string path_;  // as opened, for the fault hook
  std::uint64_t position_ = 0;
};

bool fileExists(std::string_view path);
// Makes a file's content durable; false when it cannot be opened or synced.
bool syncFile(std::string_view path);
bool removeFile(std::string_view path);
// Reads a whole file into `content`; false when it cannot be opened or read.
bool readWholeFile(std::string_view path, std::string& content);
// What a whole-file write survives.
enum class Durability {
  // A crash or power loss a moment after the write returns leaves the new content: the
  // staged file is synced before the rename and the directory after it. For data sets,
  // model files and every output a user keeps.
  kDurable,
  // Neither sync, which costs milliseconds on a real disk: for files in the temporary
  // directory that the next call rewrites anyway. The rename still keeps a failed write
  // from leaving half a file.
  kScratch,
};

// Replaces a file's content: written under a unique name in the target's directory,
// renamed over the target (synced as `durability` says), so a failed or interrupted
// write leaves the old content whole and concurrent writers never collide. A symbolic
// link is followed and the file it names replaced; a target that is no regular file (a
// FIFO, a device) is written directly. False, with errno set, when it cannot be written.
bool writeWholeFile(std::string_view path, std::string_view content,
                    Durability durability = Durability::kDurable);

}  // namespace tessary
