#include <dlfcn.h>
#include <gtest/gtest.h>

#include <functional>

#include "regression/model_survey.h"

namespace tessary {
namespace {

using testing::MessageRecorder;

TEST(RegressionExports, FailuresShowTheirCaptionAndReturnTheirCode) {
  testing::ModelSurvey s;
  const std::string daa = s.survey.daa(), model = s.model, dir = s.survey.dir.path();
  Regression noLhs;
  noLhs.loading(model);
  noLhs.LHS = "";
  noLhs.saving(dir + "/nolhs.mdl");
  testing::writeFile(dir + "/bad.mdl", "101\xA5");
  testing::writeFile(dir + "/nosurvey.ini", "[PROJECT]\nType=0\n");
  std::vector<std::uint8_t> mask(25, 0);
  std::vector<double> buffer(200 * 8), out(200);
  const double values[3] = {1, 2, 3};
  const std::uint8_t second = 0x02;
  double noObservations[36] = {0.0};
  std::vector<char> data(daa.begin(), daa.end() + 1), path(model.begin(), model.end() + 1);
  struct Case {
    std::function<int()> call;
    int result;
    const char* caption;  // nullptr: no box
    std::string text;
  } cases[] = {
      {[&] {
         return makeSSCP(daa.c_str(), (dir + "/nolhs.mdl").c_str(), mask.data(), s.w.data(),
                         buffer.data());
       },
       -2, "makeSSCP", "Can't make SSCP"},
      {[&] { return makeSSCP(daa.c_str(), model.c_str(), nullptr, nullptr, buffer.data()); }, -2,
       "makeSSCP", "Regression::init():\nmBuffer missing"},
      {[&] {
         return makeSSCP(daa.c_str(), (dir + "/bad.mdl").c_str(), mask.data(), nullptr,
                         buffer.data());
       },
       -2, "makeSSCP",
       "Regression::load():\nRegression::loading:\nRegression::loading: Reading error"},
      {[&] { return makeSSCP(nullptr, model.c_str(), mask.data(), nullptr, buffer.data()); }, -2,
       "makeSSCP", "Regression::load():\nCDA not constructed"},
      {[&] {
         return getRegressors(daa.c_str(), model.c_str(), nullptr, nullptr, buffer.data(), 0);
       },
       -1, "getRegressors", "Regression::init():\nmBuffer missing"},
      {[&] {
         return getResidual(daa.c_str(), model.c_str(), mask.data(), nullptr, nullptr, nullptr,
                            nullptr);
       },
       -2, "Error in retrieving the residual", "getResidual: an output array is missing."},
      {[&] { return getCleanVector(values, nullptr, 3, out.data()); }, -2,
       "Error in retrieving the residual",
       "getCleanVector: the values, the mask or the output is missing."},
      {[&] { return getCleanVector(values, &second, 3, out.data()); }, 2, nullptr, ""},
      {[&] {
         return buildModelFromCombinedDataset((dir + "/nosurvey.ini").c_str(),
                                              (dir + "/new.mdl").c_str(), "Y", 0);
       },
       -2, "Build model from CDA",
       "Regression::updateModel():\nCProject::loadSurveyCDA: loading error.\n"},
      {[&] { return readFileSection(dir.c_str(), 0, 3, buffer.data()); }, 0, "msgbox",
       "Unexpected error\nCan't open file " + dir + " to read.\n"},
      {[&] { return readFileSection(daa.c_str(), 0, 2, buffer.data()); }, 3, nullptr, ""},
      {[&] { return simpleOLS(data.data(), path.data(), nullptr, nullptr); }, -1, nullptr, ""},
      {[&] { return OLSRegression(model.c_str(), noObservations, ""); }, -1, nullptr, ""},
  };
  for (const Case& c : cases) {
    MessageRecorder boxes;
    EXPECT_EQ(c.call(), c.result) << c.text;
    ASSERT_EQ(boxes.messages().size(), c.caption != nullptr ? 1u : 0u) << c.text;
    if (c.caption == nullptr) continue;
    EXPECT_EQ(boxes.messages()[0].caption, c.caption);
    EXPECT_EQ(boxes.messages()[0].text, c.text);
    EXPECT_EQ(boxes.messages()[0].style, 0x10u);
  }
  EXPECT_EQ(out[0] + out[1], 4.0);  // getCleanVector kept records 1 and 3
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data()), 3), "hh.");
}

TEST(RegressionExports, SimpleOlsIsFoundOnlyByItsDecoratedName) {
  void* library = dlopen(TESSARY_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  EXPECT_NE(dlsym(library, "_Z9simpleOLSPcS_PhPd"), nullptr);
  EXPECT_EQ(dlsym(library, "simpleOLS"), nullptr);
  EXPECT_NE(dlsym(library, "makeSSCP"), nullptr);
  dlclose(library);
}

}  // namespace
}  // namespace tessary
