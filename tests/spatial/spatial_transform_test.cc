// spatialTransform: neighbour means, inverse-distance weights, and the results and
// messages of missing and mismatched linkage files (damaged ones are the fuzz target's).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "shape_fixture.h"
#include "spatial/geo_anchors.h"
#include "tessary.h"
#include "test_support.h"

namespace tessary::testing {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct GridWithAnchors {
  ScratchDir dir;
  std::string path = dir.file("grid");
  GridWithAnchors() {
    // Four unit squares; their contiguity lists are 0: 1 2 3, 1: 0 3, 2: 0 3, 3: 0 1 2.
    writeSquareGrid(dir.file("raw"), 2, 2);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(shapeStandardize(dir.file("raw").c_str(), path.c_str(), "GID", "NAME", 0, 0), 0);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(buildLinkageMatrix(path.c_str(), 1, 1), 0);
  }
  std::vector<double> smooth(std::vector<double> x, int kind, int parameter,
                             std::uint8_t expected = 0) const {
    std::vector<double> out(x.size(), -7);
    EXPECT_EQ(spatialTransform(path.c_str(), x.data(), out.data(),
                               static_cast<std::int32_t>(x.size()), kind, parameter),
              expected);
    return out;
  }
};

TEST(SpatialTransform, NeighbourMeansOverFiniteValues) {
  const GridWithAnchors grid;
  EXPECT_EQ(grid.smooth({1, 2, 4, kInf}, 1, 1), std::vector<double>({3, 1, 1, 7.0 / 3}));
  EXPECT_EQ(grid.smooth({kInf, NAN, -kInf, 5}, 1, 1), std::vector<double>({5, 5, 5, kInf}));
  // In place.
  std::vector<double> x = {1, 2, 4, 8};
  EXPECT_EQ(spatialTransform(grid.path.c_str(), x.data(), x.data(), 4, 1, 1), 0);
  EXPECT_EQ(x, std::vector<double>({14.0 / 3, 4.5, 4.5, 7.0 / 3}));
  // Other kinds do nothing.
  EXPECT_EQ(grid.smooth({1, 2, 4, 8}, 9, 1), std::vector<double>(4, -7));
}

TEST(SpatialTransform, InverseDistanceWeights) {
  ScratchDir dir;
  const std::string path = dir.file("set");
  const std::vector<GeoPoint> anchors = {{0, 0}, {1, 0}, {3, 0}, {3, 0}};
  writeAnchors(path, anchors);
  const std::vector<double> x = {1, 2, 4, kInf};
  std::vector<double> out(4);
  ASSERT_EQ(spatialTransform(path.c_str(), const_cast<double*>(x.data()), out.data(), 4, 4, 2), 0);
  for (std::size_t i = 0; i < 4; ++i) {
    double num = 0, den = 0;
    for (std::size_t j = 0; j < 4; ++j) {
      const double d = greatCircleKm(anchors[i], anchors[j]);
      if (j == i || d == 0 || !std::isfinite(x[j])) continue;  // coinciding anchors: no weight
      num += x[j] / (d * d);
      den += 1 / (d * d);
    }
    EXPECT_DOUBLE_EQ(out[i], num / den) << i;
  }
  ASSERT_EQ(spatialTransform(path.c_str(), const_cast<double*>(x.data()), out.data(), 3, 4, 2),
            0xFE);
  std::vector<double> missing(4, kInf);
  ASSERT_EQ(spatialTransform(path.c_str(), missing.data(), out.data(), 4, 4, 1), 0);
  EXPECT_EQ(out, std::vector<double>(4, kInf));
  writeAnchors(path, anchors, false);
  EXPECT_EQ(spatialTransform(path.c_str(), missing.data(), out.data(), 4, 4, 1), 0xF9);
  EXPECT_EQ(spatialTransform(dir.file("none").c_str(), missing.data(), out.data(), 4, 4, 1), 0xFE);
}

TEST(SpatialTransform, UnreadableOrMismatchedLinkageFiles) {
  const GridWithAnchors grid;
  MessageRecorder recorder;
  std::vector<double> x = {1, 2, 3, 4}, out(4, -7);
  auto run = [&](int kind, int parameter, std::int32_t n = 4) {
    return spatialTransform(grid.path.c_str(), x.data(), out.data(), n, kind, parameter);
  };
  EXPECT_EQ(run(1, 1, 5), 0xFE);
  EXPECT_TRUE(recorder.messages().empty());
  EXPECT_EQ(run(2, 50), 0xFD);
  ASSERT_EQ(buildLinkageMatrix(grid.path.c_str(), 2, 100), 0);
  EXPECT_EQ(run(2, 50), 0xFD);
  EXPECT_EQ(run(1, 2), 0xFD);
  const std::vector<std::string> expected = {
      "Unexpected error\nCan't read from " + grid.path + ".DMX",
      "Unexpected error\n" + grid.path + ".DMX is different in structure",
      "Unexpected error\n" + grid.path + ".LMX is different in structure"};
  ASSERT_EQ(recorder.messages().size(), expected.size());
  for (std::size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(recorder.messages()[k].text, expected[k]);
    EXPECT_EQ(recorder.messages()[k].caption, "msgbox");
    EXPECT_EQ(recorder.messages()[k].style, 0x10u);
  }
  EXPECT_EQ(out, std::vector<double>(4, -7));
}

}  // namespace
}  // namespace tessary::testing
