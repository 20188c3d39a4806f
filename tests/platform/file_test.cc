#include "platform/file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <iterator>
#include <thread>
#include <vector>

#include "platform/directories.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "test_support.h"

namespace tessary {
namespace {

TEST(File, PositionalAccessKeepsThePositionAndOpenModesFail) {
  testing::ScratchDir dir;
  File file;
  ASSERT_TRUE(file.open(dir.file("a.bin"), File::Mode::kCreate));
  EXPECT_EQ(file.write("hello world", 11), 11u);
  EXPECT_EQ(file.writeAt(6, "WORLD", 5), 5u);
  EXPECT_EQ(file.position(), 11u);  // positional writes leave the position alone
  char buffer[16] = {};
  EXPECT_EQ(file.readAt(0, buffer, sizeof buffer), 11u);  // short read at the end
  ASSERT_TRUE(file.seek(6));
  EXPECT_EQ(file.read(buffer, 10), 5u);
  EXPECT_EQ(std::string(buffer, 5), "WORLD");
  // Writing past the end extends the file; truncate cuts it back.
  EXPECT_EQ(file.writeAt(std::uint64_t{1} << 20, "x", 1), 1u);
  EXPECT_EQ(file.size(), (1 << 20) + 1);
  EXPECT_TRUE(file.truncate(5));
  file.close();
  EXPECT_EQ(testing::readFile(dir.file("a.bin")), "hello");

  EXPECT_FALSE(file.open(dir.file("missing"), File::Mode::kRead));
  EXPECT_EQ(lastSystemError(), ENOENT);
  EXPECT_FALSE(file.open(dir.file("missing"), File::Mode::kReadWrite));
  EXPECT_FALSE(file.open(dir.path(), File::Mode::kRead));  // a directory is not a file
  EXPECT_TRUE(!file.isOpen() && file.read(nullptr, 0) == 0 && file.size() == -1);
  testing::writeFile(dir.file("keep"), "abc");
  ASSERT_TRUE(file.open(dir.file("keep"), File::Mode::kAppend));
  EXPECT_EQ(file.write("de", 2), 2u);
  file.close();
  EXPECT_EQ(testing::readFile(dir.file("keep")), "abcde");
  ASSERT_TRUE(file.open(dir.file("keep"), File::Mode::kRead));
  EXPECT_EQ(file.write("z", 1), 0u);               // read-only files refuse writes
  EXPECT_TRUE(fileExists(dir.path() + "\\keep"));  // backslashes name the same file
}

TEST(File, WholeFileWritesStageUniquelyBesideTheTargetAndSyncAroundTheRename) {
  testing::ScratchDir dir;
  const std::string target = dir.file("t.txt");
  // Durable writes sync the staged file and the directory; scratch writes neither.
  for (Durability durability : {Durability::kDurable, Durability::kScratch}) {
    std::vector<std::pair<FileOperation, std::string>> seen;
    {
      testing::ScopedFaultHook record([&](FileOperation operation, std::string_view path) {
        seen.emplace_back(operation, std::string(path));
        return 0;
      });
      ASSERT_TRUE(writeWholeFile(target, "new", durability));
    }
    ASSERT_FALSE(seen.empty());
    const std::string staging = seen[0].second;
    EXPECT_EQ(directoryOf(staging), dir.path() + "/");
    std::vector<std::pair<FileOperation, std::string>> expected = {
        {FileOperation::kOpenForWriting, staging},
        {FileOperation::kWrite, staging},
        {FileOperation::kSync, staging},
        {FileOperation::kRename, target},
        {FileOperation::kSync, dir.path() + "/"}};
    if (durability == Durability::kScratch) expected = {expected[0], expected[1], expected[3]};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(testing::readFile(target), "new");
  }

  // Two writers of one target never get in each other's way.
  std::atomic<int> failures{0};
  auto writer = [&](const char* text) {
    for (int i = 0; i < 100; ++i)
      failures += writeWholeFile(target, text) ? 0 : 1;
  };
  std::thread first(writer, "first"), second(writer, "second");
  first.join();
  second.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(File, WholeFileWritesFollowLinksAndWriteFifosDirectly) {
  testing::ScratchDir dir;
  testing::writeFile(dir.file("real.txt"), "old");
  std::filesystem::create_symlink("real.txt", dir.file("link"));
  std::filesystem::create_symlink("sub/absent.txt", dir.file("dangling"));
  std::filesystem::create_directory(dir.file("sub"));
  ASSERT_TRUE(writeWholeFile(dir.file("link"), "via link"));
  ASSERT_TRUE(writeWholeFile(dir.file("dangling"), "created"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link")));
  EXPECT_EQ(testing::readFile(dir.file("real.txt")), "via link");
  EXPECT_EQ(testing::readFile(dir.file("sub/absent.txt")), "created");

  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ASSERT_TRUE(writeWholeFile(fifo, "through the pipe"));
  char buffer[32] = {};
  EXPECT_EQ(::read(reader, buffer, sizeof buffer), 16);
  ::close(reader);
  EXPECT_EQ(std::string(buffer), "through the pipe");
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  EXPECT_FALSE(writeWholeFile(dir.path(), "a directory is no file"));
}

TEST(File, PathsHoldingANulByteNameNoFile) {
  testing::ScratchDir dir;
  testing::writeFile(dir.file("a"), "kept");
  const std::string cut = dir.file("a") + std::string(1, '\0') + ".x";
  File file;
  EXPECT_FALSE(fileExists(cut));
  EXPECT_FALSE(file.open(cut, File::Mode::kRead));
  EXPECT_EQ(lastSystemError(), EINVAL);
  EXPECT_FALSE(writeWholeFile(cut, "lost"));
  EXPECT_FALSE(removeFile(cut));
  removeDirectoryTree(dir.path() + std::string(1, '\0'));
  EXPECT_EQ(testing::readFile(dir.file("a")), "kept");
}

}  // namespace
}  // namespace tessary
