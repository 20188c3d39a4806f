#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/directories.h"
#include "test_support.h"

namespace tessary {
namespace {

TEST(Paths, TemporaryDirectoryFollowsTmpdirAndEndsInSlash) {
  // 259 characters plus the final '/' still fit 260; one more does not.
  const std::string fits = "/" + std::string(258, 'd'), tooLong = fits + "e";
  const struct {
    const char* tmpdir;
    std::string directory, within260;
  } cases[] = {{"/var/scratch", "/var/scratch/", "/var/scratch/"},
               {"/var/scratch/", "/var/scratch/", "/var/scratch/"},
               {"", "/tmp/", "/tmp/"},
               {nullptr, "/tmp/", "/tmp/"},
               {fits.c_str(), fits + "/", fits + "/"},
               {tooLong.c_str(), tooLong + "/", ""}};
  for (const auto& c : cases) {
    testing::ScopedEnv env("TMPDIR", c.tmpdir);
    EXPECT_EQ(temporaryDirectory(), c.directory);
    EXPECT_EQ(temporaryDirectoryWithin260(), c.within260);
  }
}

}  // namespace
}  // namespace tessary

namespace tessary {
namespace {

TEST(Paths, APrivateTemporaryDirectoryServesItsScopeAndIsRemoved) {
  testing::ScratchDir dir;
  testing::ScopedEnv env("TMPDIR", dir.path().c_str());
  {
    PrivateTemporaryDirectory first("run-"), second("run-");  // two runs never share one
    EXPECT_EQ(first.path().rfind(dir.path() + "/run-", 0), 0u) << first.path();
    EXPECT_NE(first.path(), second.path());
    EXPECT_EQ(temporaryDirectory(), second.path());
    testing::writeFile(temporaryDirectoryWithin260() + "EvalResult.tbl", "x");
  }
  EXPECT_EQ(temporaryDirectory(), dir.path() + "/");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace tessary
