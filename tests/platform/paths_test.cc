#include "platform/paths.h"

#include <gtest/gtest.h>

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
