#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <tuple>

#include "regression/regression.h"
#include "regression/survey_fixture.h"
#include "test_support.h"

namespace tessary {
namespace {

using testing::failureText;
using testing::readFile;
using testing::writeFile;

template <class... T>
void put(std::string& out, T... values) {
  (out.append(reinterpret_cast<const char*>(&values), sizeof values), ...);
}
void putText(std::string& out, std::initializer_list<std::string> texts) {
  for (const std::string& text : texts)
    out += static_cast<char>(text.size()) + std::string(1, '\0') + text;
}

// The bytes of the model below, without its tag.
std::string expectedBody() {
  std::string b;
  put(b, std::int32_t{5}, std::int32_t{4}, std::uint8_t{1}, std::int16_t{2}, std::int16_t{-1},
      std::int16_t{0}, 1.5, 2.0, 3.0, 4.0, 0.5, 0.25, 9.5, 0.05, 0.1);
  putText(b, {"W", "X>1", "Y", "_intercept_", ""});
  put(b, std::int32_t{0}, std::uint8_t{3});
  putText(b, {"Intercept"});
  put(b, 1.25, 0.5, 0.01);
  putText(b, {"D_07", "D"});
  put(b, std::int32_t{7}, std::uint8_t{1});
  putText(b, {"Dummy for (D)=x"});
  put(b, -2.0, 1.0, 0.04, std::int32_t{0x01020304});
  putText(b, {".END.   "});
  return b;
}

TEST(ModelFile, TaggedAndTaglessFilesRoundTripByteForByte) {
  testing::ScratchDir dir;
  const std::string path = dir.file("m.mdl");
  Regression model;
  model.nRecs = 5, model.nObs = 4, model.yhatLevel = 1, model.status = -1, model.nModel = 0;
  model.F = 1.5, model.SST = 2, model.SSR = 3, model.MSE = 4, model.R2 = 0.5, model.adjR2 = 0.25;
  model.totalWeight = 9.5, model.slEntry = 0.05, model.slStay = 0.1;
  model.Weight = "W", model.condition = "X>1", model.LHS = "Y", model.trailer = 0x01020304;
  model.regressors = {{"_intercept_", "", 0, "Intercept", 3, 1.25, 0.5, 0.01},
                      {"D_07", "D", 7, "Dummy for (D)=x", 1, -2.0, 1.0, 0.04}};
  ASSERT_TRUE(model.saving(path));
  const std::string tagged = std::string("101\xA5", 4) + expectedBody();
  EXPECT_EQ(readFile(path), tagged);

  for (const std::string& content : {tagged, expectedBody()}) {
    writeFile(path, content);
    Regression read;
    ASSERT_TRUE(read.loading(path));
    // A failed fit (status -1) reads as an empty model.
    EXPECT_EQ(std::tie(read.numOfRgrs, read.regressors[1].name, read.regressors[1].code,
                       read.condition, read.initialModelSize, read.nModel),
              std::make_tuple(2, "D_07", 7, "X>1", 2, 0));
    ASSERT_TRUE(read.saving(path));
    EXPECT_EQ(readFile(path), content);
  }
  Regression absent;
  EXPECT_FALSE(absent.loading(dir.file("none.mdl")));
  // A save whose rename fails leaves the old file whole.
  {
    testing::ScopedFaultHook full(testing::failing(FileOperation::kRename, path, ENOSPC));
    EXPECT_FALSE(model.saving(path));
  }
  EXPECT_EQ(readFile(path), expectedBody());
}

TEST(ModelFile, DamagedFilesEndInAMessage) {
  testing::ScratchDir dir;
  const std::string path = dir.file("m.mdl");
  const std::string whole = std::string("101\xA5", 4) + expectedBody();
  const std::size_t countAt = 4 + 4 + 4 + 1;
  const std::size_t firstName = countAt + 6 + 72 + 3 + 5 + 3;
  // Each damage: where, the bytes put there (none: the file is cut to 2 bytes), and
  // the message.
  const std::tuple<std::size_t, std::string, const char*> damages[] = {
      {countAt, "\xFF\xFF", "Regression::loading:\nThe regressor count -1 is negative."},
      {countAt, "\xFF\x7F",
       "Regression::loading:\nThe file is too short for its 32767 regressors."},
      {firstName, "\xFF\x00", "Regression::loading:\nCan't retrieve whole string"},
      {0, "", "Regression::loading:\nRegression::loading: Reading error"}};
  for (const auto& [at, bytes, message] : damages) {
    std::string content = bytes.empty() ? std::string("10") : whole;
    content.replace(at, bytes.size(), bytes);
    writeFile(path, content);
    Regression model;
    EXPECT_EQ(failureText([&] { model.loading(path); }), message);
  }
}

// Writes the fuzz targets' seed corpora into $TESSARY_SEED_DIR/{model_file,project}
// (nothing without it): the files above, a built model and project files.
TEST(ModelFile, FuzzSeeds) {
  const char* seeds = std::getenv("TESSARY_SEED_DIR");
  if (seeds == nullptr) GTEST_SKIP() << "TESSARY_SEED_DIR not set";
  const std::string root = seeds;
  std::filesystem::create_directories(root + "/model_file");
  std::filesystem::create_directories(root + "/project");
  const std::string files[] = {std::string("101\xA5", 4) + expectedBody(),
                               expectedBody(),
                               std::string("101\xA5", 4),
                               "[PROJECT]\nMaskFile=m.gmk\n[DataArray]\nSurvey=s.daA\nCensus=c\n",
                               "[SelectedVars]\nNumber=3\nVarList=A,B,C\nSPosition=0,1,2\n",
                               "[DataArray]\nSurvey=project.ini\n[Session]\nbetaModelName0=b\n"};
  for (int i = 0; i < 6; ++i)
    writeFile(root + (i < 3 ? "/model_file/seed0" : "/project/seed0") + std::to_string(i % 3 + 1),
              files[i]);
}

}  // namespace
}  // namespace tessary
