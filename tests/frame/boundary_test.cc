#include "frame/boundary.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <functional>
#include <vector>

#include "frame/failure.h"
#include "tessary.h"
#include "test_support.h"

namespace tessary {
namespace {

// Rows of the exports' caption table, one of each shape.
const BoundaryPolicy kForward{.caption = "Forward regression",
                              .textResult = -2,
                              .otherText = "Unexpected error occured.",
                              .otherResult = -3};
const BoundaryPolicy kRegressors{.caption = "getRegressors", .textResult = -1, .otherResult = -2};
const BoundaryPolicy kBuildModel{.caption = "Build model from CDA",
                                 .textResult = -2,
                                 .otherText = "Unexpected error occured",
                                 .otherCaption = "building model from CDA",
                                 .otherResult = -1};
const BoundaryPolicy kCrossTab{.caption = "CrossTabulate...",
                               .textStyle = 0x30,
                               .textResult = -2,
                               .otherText = "ErrorCode: %i",
                               .otherResult = -1,
                               .logPlace = " XTbl in Tessary.dll"};

TEST(Boundary, ThrownTextIsShownVerbatimWithTheCaptionAndEverythingElseIsAnOtherFailure) {
  testing::MessageRecorder recorder;
  EXPECT_EQ(guardExport<int>(kForward, [] { return 17; }), 17);
  EXPECT_TRUE(recorder.messages().empty());
  EXPECT_EQ(guardExport<int>(kForward,
                             []() -> int { raiseFailure("Regression::OLS(): singular matrix\n"); }),
            -2);
  EXPECT_EQ(guardExport<int>(kRegressors, []() -> int { raiseFailure("bad"); }), -1);
  ASSERT_EQ(recorder.messages().size(), 2u);
  const auto& shown = recorder.messages();
  EXPECT_EQ(shown[0].text + shown[0].caption,
            "Regression::OLS(): singular matrix\nForward regression");
  EXPECT_EQ(shown[0].style, 0x10u);
  EXPECT_EQ(shown[1].caption, "getRegressors");

  // A failure raised as unexpected, and every other thrown value.
  recorder.clear();
  EXPECT_EQ(
      guardExport<int>(kForward, []() -> int { raiseUnexpectedFailure("Loading CDA error"); }), -3);
  EXPECT_EQ(guardExport<int>(kForward, []() -> int { throw 42; }), -3);
  ASSERT_EQ(recorder.messages().size(), 2u);
  for (const auto& other : recorder.messages())
    EXPECT_EQ(other.text + other.caption, "Unexpected error occured.Forward regression");
  recorder.clear();
  EXPECT_EQ(guardExport<int>(kRegressors, []() -> int { throw 1; }), -2);
  EXPECT_TRUE(recorder.messages().empty());  // no box for this row
  EXPECT_EQ(guardExport<int>(kBuildModel, []() -> int { throw 1; }), -1);
  ASSERT_EQ(recorder.messages().size(), 1u);
  EXPECT_EQ(recorder.messages()[0].caption, "building model from CDA");
}

TEST(Boundary, LoggingRowsWriteTheLogAndHonourTheShowFlag) {
  testing::ScratchDir dir;
  testing::ScopedEnv env("TMPDIR", dir.path().c_str());
  testing::MessageRecorder recorder;

  EXPECT_EQ(guardExport<int>(kCrossTab, []() -> int { raiseFailure("no such variable"); }), -2);
  ASSERT_EQ(recorder.messages().size(), 1u);
  EXPECT_EQ(recorder.messages()[0].style, 0x30u);

  const int hidden = guardExport<int>(
      kCrossTab,
      []() -> int {
        errno = 2;
        throw 5;
      },
      nullptr, /*showMessages=*/false);
  EXPECT_EQ(hidden, -1);
  EXPECT_EQ(recorder.messages().size(), 1u);
  EXPECT_EQ(testing::readFile(dir.file("Tarvex.err")),
            "no such variable\t XTbl in Tessary.dll\nErrorCode: 2\t XTbl in Tessary.dll\n");
}

TEST(Boundary, ExportsWithoutMessagesReturnTheirFailureResultWhenMemoryRunsOut) {
  std::vector<double> a = {2, 1, 1, 3}, b = {1, 2}, x(2), w(2), v(4), out(13);
  std::vector<double> values = {3, 1, 2}, weights = {1, 2, 3};
  std::int32_t size = 3;
  const unsigned char packed[] = {1, 0, 1, 0, 'a'};
  double chsq = 0, df = 0;
  const struct {
    const char* name;
    std::function<double()> call;
    double failureResult;  // NaN: a quiet NaN
  } exports[] = {
      {"linearEq", [&] { return double(linearEq(a.data(), 2, b.data(), x.data())); }, -1},
      {"minverse", [&] { return double(minverse(a.data(), 2, v.data())); }, 0},
      {"svdcmp", [&] { return double(svdcmp(a.data(), 2, 2, w.data(), v.data())); }, 0},
      {"Univariate",
       [&] { return double(Univariate(values.data(), weights.data(), 3, &size, 1, out.data())); },
       -1},
      {"stringsTest", [&] { return double(stringsTest(packed)); }, -1},
      {"Chi2Two",
       [&] {
         return Chi2Two(values.data(), weights.data(), 3, b.data(), b.data(), 2, 0, &chsq, &df);
       },
       NAN}};
  testing::MessageRecorder recorder;
  for (const auto& e : exports) {
    double result = 0;
    {
      testing::FailingAllocations failing;
      result = e.call();
    }
    if (std::isnan(e.failureResult))
      EXPECT_TRUE(std::isnan(result)) << e.name;
    else
      EXPECT_EQ(result, e.failureResult) << e.name;
  }
  EXPECT_TRUE(recorder.messages().empty());
}

}  // namespace
}  // namespace tessary
