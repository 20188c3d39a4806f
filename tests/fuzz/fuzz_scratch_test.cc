#include "fuzz_scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "test_support.h"

namespace tessary::fuzzing {
namespace {

TEST(FuzzScratch, LeftoversOfEndedRunsGoAtStartAndTheOwnDirectoryAtExit) {
  testing::ScratchDir temp;
  testing::ScopedEnv tmpdir("TMPDIR", temp.path().c_str());
  const std::filesystem::path stopped = temp.file("tessary_fuzz_t_999999999");  // no such process
  const std::filesystem::path running = temp.file("tessary_fuzz_t_1");          // init runs
  const std::filesystem::path other = temp.file("tessary_fuzz_u_999999999");
  for (const auto& path : {stopped, running, other})
    std::filesystem::create_directories(path / "inside");

  EXPECT_EXIT(
      {
        const std::string& own = scratchDirectory("t");
        const bool made = std::filesystem::is_directory(own) && !std::filesystem::exists(stopped);
        std::exit(made ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_FALSE(std::filesystem::exists(stopped));
  EXPECT_TRUE(std::filesystem::exists(running));
  EXPECT_TRUE(std::filesystem::exists(other));
  // The run's own directory went with its process.
  std::size_t left = 0;
  for (const auto& entry : std::filesystem::directory_iterator(temp.path()))
    left += entry.path().filename().string().rfind("tessary_fuzz_t_", 0) == 0;
  EXPECT_EQ(left, 1u);
}

}  // namespace
}  // namespace tessary::fuzzing
