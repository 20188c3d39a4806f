#include "frame/boundary.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <new>
#include <stdexcept>

#include "frame/failure.h"
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

TEST(Boundary, CompletedBodiesReturnTheirOwnResult) {
  testing::MessageRecorder recorder;
  EXPECT_EQ(guardExport<int>(kForward, [] { return 17; }), 17);
  EXPECT_EQ(guardExport<std::int16_t>(kForward, [] { return std::int16_t{0}; }), 0);
  EXPECT_TRUE(recorder.messages().empty());
}

TEST(Boundary, ThrownTextIsShownVerbatimWithTheCaption) {
  testing::MessageRecorder recorder;
  const int result = guardExport<int>(
      kForward, []() -> int { raiseFailure("Regression::OLS(): singular matrix\n"); });
  EXPECT_EQ(result, -2);
  ASSERT_EQ(recorder.messages().size(), 1u);
  EXPECT_EQ(recorder.messages()[0].text, "Regression::OLS(): singular matrix\n");
  EXPECT_EQ(recorder.messages()[0].caption, "Forward regression");
  EXPECT_EQ(recorder.messages()[0].style, 0x10u);

  recorder.clear();
  EXPECT_EQ(guardExport<int>(kRegressors, []() -> int { raiseFailure("bad"); }), -1);
  EXPECT_EQ(recorder.messages().at(0).caption, "getRegressors");
}

TEST(Boundary, EveryOtherThrownValueIsAnOtherFailure) {
  testing::MessageRecorder recorder;
  EXPECT_EQ(guardExport<int>(kForward, []() -> int { throw "plain constant"; }), -3);
  EXPECT_EQ(guardExport<int>(kForward, []() -> int { throw 42; }), -3);
  EXPECT_EQ(guardExport<int>(kForward, []() -> int { throw std::bad_alloc(); }), -3);
  EXPECT_EQ(guardExport<int>(kForward, []() -> int { throw std::runtime_error("x"); }), -3);
  ASSERT_EQ(recorder.messages().size(), 4u);
  for (const auto& shown : recorder.messages()) {
    EXPECT_EQ(shown.text, "Unexpected error occured.");
    EXPECT_EQ(shown.caption, "Forward regression");
  }

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

TEST(Boundary, RunGuardedReportsTheOutcomeForExportsThatKeepTheirResult) {
  testing::MessageRecorder recorder;
  int steps = 0;
  EXPECT_EQ(runGuarded(kForward, [&] { ++steps; }), GuardOutcome::kCompleted);
  EXPECT_EQ(runGuarded(kForward, [&] { raiseFailure("t"); }), GuardOutcome::kTextFailure);
  EXPECT_EQ(runGuarded(kForward, [&] { throw 0; }), GuardOutcome::kOtherFailure);
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(recorder.messages().size(), 2u);
}

TEST(Failure, ThrowUnlessRaisesOnlyOnFalse) {
  EXPECT_NO_THROW(throwUnless(true, "never"));
  try {
    throwUnless(false, std::string("DataArray::getValue: out of range"));
    FAIL();
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.text(), "DataArray::getValue: out of range");
    EXPECT_STREQ(failure.what(), "DataArray::getValue: out of range");
  }
}

}  // namespace
}  // namespace tessary
