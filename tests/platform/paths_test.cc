#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/directories.h"
#include "test_support.h"

namespace tessary {
namespace {

TEST(Paths, BothSeparatorsSplitDirectoriesAndBackslashesBecomeSlashes) {
  EXPECT_EQ(nativePath("C:\\data\\survey.daH"), "C:/data/survey.daH");
  EXPECT_EQ(directoryOf("dir\\sub/file.daA"), "dir\\sub/");
  EXPECT_EQ(baseNameOf("dir\\sub/file.daA"), "file.daA");
  EXPECT_EQ(stemOf("dir/sub.v1\\hh.survey.daH"), "hh.survey");
  EXPECT_EQ(stemOf("noext"), "noext");
  EXPECT_EQ(directoryOf("plain"), "");

  EXPECT_TRUE(isFullPath("/abs/x"));
  EXPECT_TRUE(isFullPath("\\abs\\x"));
  EXPECT_FALSE(isFullPath("rel/x"));
  EXPECT_FALSE(isFullPath(""));
  EXPECT_EQ(resolveAgainst("/base/dir/", "rel\\x.daR"), "/base/dir/rel\\x.daR");
  EXPECT_EQ(resolveAgainst("/base/dir", "x.daR"), "/base/dir/x.daR");
  EXPECT_EQ(resolveAgainst("/base/dir/", "/abs/x.daR"), "/abs/x.daR");
}

TEST(Paths, TemporaryDirectoryFollowsTmpdirAndEndsInSlash) {
  {
    testing::ScopedEnv env("TMPDIR", "/var/scratch");
    EXPECT_EQ(temporaryDirectory(), "/var/scratch/");
  }
  {
    testing::ScopedEnv env("TMPDIR", "/var/scratch/");
    EXPECT_EQ(temporaryDirectory(), "/var/scratch/");
  }
  {
    testing::ScopedEnv env("TMPDIR", "");
    EXPECT_EQ(temporaryDirectory(), "/tmp/");
  }
  {
    testing::ScopedEnv env("TMPDIR", nullptr);
    EXPECT_EQ(temporaryDirectory(), "/tmp/");
  }
  // 259 characters plus the final '/' still fit 260; one more does not.
  const std::string fits = "/" + std::string(258, 'd');
  {
    testing::ScopedEnv env("TMPDIR", fits.c_str());
    EXPECT_EQ(temporaryDirectoryWithin260(), fits + "/");
  }
  const std::string tooLong = fits + "e";
  {
    testing::ScopedEnv env("TMPDIR", tooLong.c_str());
    EXPECT_EQ(temporaryDirectoryWithin260(), "");
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
