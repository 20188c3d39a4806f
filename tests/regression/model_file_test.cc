#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "regression/model_survey.h"
#include "regression/regression.h"
#include "test_support.h"

namespace tessary {
namespace {

using testing::failureText;
using testing::readFile;
using testing::writeFile;

template <class T>
void put(std::string& out, T value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}
void putText(std::string& out, const std::string& text) {
  put(out, static_cast<std::int16_t>(text.size()));
  out += text;
}

// The bytes of the model below, without its tag.
std::string expectedBody() {
  std::string bytes;
  put(bytes, std::int32_t{5});
  put(bytes, std::int32_t{4});
  put(bytes, std::uint8_t{1});
  put(bytes, std::int16_t{2});
  put(bytes, std::int16_t{-1});
  put(bytes, std::int16_t{0});
  for (double v : {1.5, 2.0, 3.0, 4.0, 0.5, 0.25, 9.5, 0.05, 0.1})
    put(bytes, v);
  for (const char* text : {"W", "X>1", "Y"})
    putText(bytes, text);
  putText(bytes, "_intercept_");
  putText(bytes, "");
  put(bytes, std::int32_t{0});
  put(bytes, std::uint8_t{3});
  putText(bytes, "Intercept");
  for (double v : {1.25, 0.5, 0.01})
    put(bytes, v);
  putText(bytes, "D_07");
  putText(bytes, "D");
  put(bytes, std::int32_t{7});
  put(bytes, std::uint8_t{1});
  putText(bytes, "Dummy for (D)=x");
  for (double v : {-2.0, 1.0, 0.04})
    put(bytes, v);
  put(bytes, std::int32_t{0x01020304});
  putText(bytes, ".END.   ");
  return bytes;
}

void fillModel(Regression& model) {
  model.nRecs = 5, model.nObs = 4, model.yhatLevel = 1, model.status = -1, model.nModel = 0;
  model.F = 1.5, model.SST = 2, model.SSR = 3, model.MSE = 4, model.R2 = 0.5, model.adjR2 = 0.25;
  model.totalWeight = 9.5, model.slEntry = 0.05, model.slStay = 0.1;
  model.Weight = "W", model.condition = "X>1", model.LHS = "Y", model.trailer = 0x01020304;
  model.regressors = {{"_intercept_", "", 0, "Intercept", 3, 1.25, 0.5, 0.01},
                      {"D_07", "D", 7, "Dummy for (D)=x", 1, -2.0, 1.0, 0.04}};
}

TEST(ModelFile, TaggedAndTaglessFilesRoundTripByteForByte) {
  testing::ScratchDir dir;
  const std::string path = dir.file("m.mdl");
  Regression written;
  fillModel(written);
  ASSERT_TRUE(written.saving(path));
  const std::string tagged = std::string("101\xA5", 4) + expectedBody();
  EXPECT_EQ(readFile(path), tagged);

  for (const std::string& content : {tagged, expectedBody()}) {
    writeFile(path, content);
    Regression read;
    ASSERT_TRUE(read.loading(path));
    EXPECT_EQ(read.numOfRgrs, 2);
    EXPECT_EQ(read.regressors[1].name, "D_07");
    EXPECT_EQ(read.regressors[1].code, 7);
    EXPECT_EQ(read.condition, "X>1");
    EXPECT_EQ(read.initialModelSize, 2);
    EXPECT_EQ(read.nModel, 0);  // a failed fit reads as an empty model
    ASSERT_TRUE(read.saving(path));
    EXPECT_EQ(readFile(path), content);
  }
  Regression absent;
  EXPECT_FALSE(absent.loading(dir.file("none.mdl")));
}

TEST(ModelFile, DamagedFilesEndInAMessage) {
  testing::ScratchDir dir;
  const std::string path = dir.file("m.mdl");
  const std::string whole = std::string("101\xA5", 4) + expectedBody();
  const std::size_t complete = whole.size() - 10;  // the end marker is not read
  for (std::size_t length = 0; length < whole.size(); ++length) {
    writeFile(path, whole.substr(0, length));
    Regression model;
    const std::string text = failureText([&] { model.loading(path); });
    if (length < complete)
      EXPECT_EQ(text.rfind("Regression::loading:\n", 0), 0u) << length << ": " << text;
    else
      EXPECT_EQ(text, "(no failure)") << length;
  }
  const std::size_t countAt = 4 + 4 + 4 + 1;
  const std::size_t firstName = countAt + 6 + 72 + 3 + 5 + 3;
  struct Damage {
    std::size_t at;
    std::string bytes;
    const char* message;
  } damages[] = {
      {countAt, "\xFF\xFF", "Regression::loading:\nThe regressor count -1 is negative."},
      {countAt, "\xFF\x7F",
       "Regression::loading:\nThe file is too short for its 32767 regressors."},
      {firstName, "\xFF\x00", "Regression::loading:\nCan't retrieve whole string"},
      {0, "", "Regression::loading:\nRegression::loading: Reading error"},
  };
  for (const Damage& damage : damages) {
    std::string content = damage.bytes.empty() ? std::string("10") : whole;
    content.replace(damage.at, damage.bytes.size(), damage.bytes);
    writeFile(path, content);
    Regression model;
    EXPECT_EQ(failureText([&] { model.loading(path); }), damage.message);
  }
}

TEST(ModelFile, AFailedSaveLeavesTheOldFileWhole) {
  testing::ScratchDir dir;
  const std::string path = dir.file("m.mdl");
  writeFile(path, "old content");
  std::filesystem::create_directory(path + ".tmp~");  // the staging file cannot be made
  Regression model;
  fillModel(model);
  EXPECT_FALSE(model.saving(path));
  EXPECT_EQ(readFile(path), "old content");
}

// Writes the fuzz targets' seed corpora into $TESSARY_SEED_DIR/{model_file,project}
// (nothing without it): the files above, a built and a fitted model, project files.
TEST(ModelFile, FuzzSeeds) {
  const char* seeds = std::getenv("TESSARY_SEED_DIR");
  if (seeds == nullptr) GTEST_SKIP() << "TESSARY_SEED_DIR not set";
  const std::string root = seeds;
  std::filesystem::create_directories(root + "/model_file");
  std::filesystem::create_directories(root + "/project");
  const std::string tagged = std::string("101\xA5", 4) + expectedBody();
  writeFile(root + "/model_file/seed01", tagged);
  writeFile(root + "/model_file/seed02", expectedBody());
  testing::ModelSurvey built(2);
  writeFile(root + "/model_file/seed03", readFile(built.model));
  testing::ModelSurvey fitted;
  fitted.mark({"X1", "Z"});
  std::vector<std::uint8_t> mask(25, 0);
  std::vector<double> sscp(36);
  makeSSCP(fitted.survey.daa().c_str(), fitted.model.c_str(), mask.data(), fitted.w.data(),
           sscp.data());
  OLSRegression(fitted.model.c_str(), sscp.data(), "");
  writeFile(root + "/model_file/seed04", readFile(fitted.model));
  const char* projects[] = {
      "[PROJECT]\nType=0\nMaskFile=m.gmk\n[DataArray]\nSurvey=s.daA\nCensus=c.daA\n",
      "[SelectedVars]\nNumber=3\nVarList=A,B,C\nSPosition=0,1,2\nCPosition=0,0,1\n",
      "[DataArray]\nSurvey=project.ini\n[Session]\nbetaModelName0=b.mdl\n[SimCFG]\nOutputfile=o\n",
  };
  for (int i = 0; i < 3; ++i)
    writeFile(root + "/project/seed0" + std::to_string(i + 1), projects[i]);
}

}  // namespace
}  // namespace tessary
