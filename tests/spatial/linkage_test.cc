// Linkage files: contiguity, distance band and k nearest neighbours on small known
// layouts, byte for byte, and the indexed searches against a brute-force reference.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "data/little_endian.h"
#include "platform/file.h"
#include "shape_fixture.h"
#include "spatial/geo_anchors.h"
#include "tessary.h"
#include "test_support.h"

namespace tessary::testing {
namespace {

// The linkage file of `kind` as 32-bit words.
std::vector<std::int32_t> words(const std::string& stem, const char* extension) {
  const std::string bytes = readFile(stem + extension);
  std::vector<std::int32_t> out(bytes.size() / 4);
  for (std::size_t k = 0; k < out.size(); ++k)
    out[k] = loadLittle<std::int32_t>(bytes.data() + 4 * k);
  return out;
}

// A table of label anchors (longitude, latitude) over dummy squares.
void writeAnchors(const std::string& stem, const std::vector<GeoPoint>& anchors,
                  bool withCenterY = true) {
  std::vector<Shape> shapes;
  Field x{"centerX", 'N', 16, 10, {}}, y{"centerY", 'N', 16, 10, {}};
  for (const GeoPoint& p : anchors) {
    shapes.push_back({square(p.longitude, p.latitude, 0.1)});
    x.values.push_back(std::to_string(p.longitude));
    y.values.push_back(std::to_string(p.latitude));
  }
  writeShapeSet(stem, shapes, withCenterY ? std::vector<Field>{x, y} : std::vector<Field>{x});
}

// Haversine as the textbook writes it, for the references below.
double referenceKm(const GeoPoint& a, const GeoPoint& b) {
  const double r = std::numbers::pi / 180;
  const double dLat = (b.latitude - a.latitude) * r, dLon = (b.longitude - a.longitude) * r;
  const double h = std::pow(std::sin(dLat / 2), 2) + std::cos(a.latitude * r) *
                                                         std::cos(b.latitude * r) *
                                                         std::pow(std::sin(dLon / 2), 2);
  return 2 * 6371.0 * std::asin(std::sqrt(h));
}

TEST(Contiguity, SquaresOfAGridByTheVertexRule) {
  ScratchDir dir;
  const std::string grid = dir.file("grid");
  writeSquareGrid(grid, 2, 2);  // 0 (0,0), 1 (1,0), 2 (0,1), 3 (1,1)
  ASSERT_EQ(buildLinkageMatrix(grid.c_str(), 1, 77), 0);
  // Corner (1,1) of square 0 lies in square 3, but no vertex of 1 lies in 2: the
  // lower and left edges belong to a square, the upper and right ones do not.
  EXPECT_EQ(words(grid, ".LMX"), std::vector<std::int32_t>({1, 1, 4, 0, 3, 1, 2, 3, 1, 2, 0,
                                                            3, 2, 2, 0, 3, 3, 3, 0, 1, 2}));
  writeSquareGrid(grid, 3, 1);
  ASSERT_EQ(buildLinkageMatrix((grid + ".dbf").c_str(), 1, 0), 0);
  EXPECT_EQ(words(grid, ".LMX"),
            std::vector<std::int32_t>({1, 1, 3, 0, 1, 1, 1, 2, 0, 2, 2, 1, 1}));
}

TEST(DistanceBand, LinksAnchorsWithinTheBand) {
  EXPECT_NEAR(greatCircleKm({0, 0}, {1, 0}), 111.19, 0.005);
  ScratchDir dir;
  const std::string path = dir.file("set");
  writeAnchors(path, {{0, 0}, {1, 0}, {3, 0}});
  ASSERT_EQ(buildLinkageMatrix(path.c_str(), 2, 111), 0);
  EXPECT_EQ(words(path, ".DMX"), std::vector<std::int32_t>({2, 111, 3, 0, 0, 1, 0, 2, 0}));
  ASSERT_EQ(buildLinkageMatrix(path.c_str(), 2, 112), 0);
  EXPECT_EQ(words(path, ".DMX"), std::vector<std::int32_t>({2, 112, 3, 0, 1, 1, 1, 1, 0, 2, 0}));
  ASSERT_EQ(buildLinkageMatrix(path.c_str(), 2, 40000), 0);
  EXPECT_EQ(words(path, ".DMX").size(), 3u + 3 * 4);
}

TEST(NearestNeighbours, NearestFirstWithTheAreaItselfLast) {
  ScratchDir dir;
  const std::string path = dir.file("set");
  writeAnchors(path, {{0, 0}, {1, 0}, {3, 0}});
  ASSERT_EQ(buildLinkageMatrix(path.c_str(), 3, 1), 0);
  EXPECT_EQ(words(path, ".KMX"), std::vector<std::int32_t>({3, 1, 3, 0, 1, 1, 1, 1, 0, 2, 1, 1}));
  ASSERT_EQ(buildLinkageMatrix(path.c_str(), 3, 3), 0);
  EXPECT_EQ(words(path, ".KMX"),
            std::vector<std::int32_t>({3, 3, 3, 0, 3, 1, 2, 0, 1, 3, 0, 2, 1, 2, 3, 1, 0, 2}));
  // Equal distances keep the library quicksort's order: from the middle of three
  // evenly spaced anchors the one to the east comes first.
  writeAnchors(path, {{0, 0}, {1, 0}, {2, 0}});
  ASSERT_EQ(buildLinkageMatrix(path.c_str(), 3, 1), 0);
  EXPECT_EQ(words(path, ".KMX")[8], 2);
  EXPECT_EQ(buildLinkageMatrix(path.c_str(), 3, 0), 0);
  EXPECT_EQ(words(path, ".KMX"), std::vector<std::int32_t>({3, 0, 3, 0, 0, 1, 0, 2, 0}));
}

TEST(NearestNeighbours, IndexedSearchesAgreeWithBruteForce) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> lon(-180, 180), lat(-89, 89);
  std::vector<GeoPoint> anchors(1500);
  for (GeoPoint& p : anchors)
    p = {lon(random), lat(random)};
  anchors[5] = {179.9, 10};  // across the date line from the next one
  anchors[6] = {-179.9, 10};
  const NeighbourLists band = distanceBandLists(anchors, 900);
  const NeighbourLists nearest = nearestLists(anchors, 6);
  for (std::size_t i = 0; i < anchors.size(); ++i) {
    std::vector<std::pair<double, std::int32_t>> row;
    std::vector<std::int32_t> within;
    for (std::size_t j = 0; j < anchors.size(); ++j) {
      if (j == i) continue;
      const double d = referenceKm(anchors[i], anchors[j]);
      row.emplace_back(d, static_cast<std::int32_t>(j));
      if (d <= 900) within.push_back(static_cast<std::int32_t>(j));
    }
    std::sort(row.begin(), row.end());
    std::vector<std::int32_t> closest;
    for (int k = 0; k < 6; ++k)
      closest.push_back(row[k].second);
    ASSERT_EQ(band[i], within) << i;
    ASSERT_EQ(nearest[i], closest) << i;
  }
  EXPECT_EQ(nearest[5][0], 6);
}

TEST(BuildLinkageMatrix, FailureResults) {
  ScratchDir dir;
  const std::string path = dir.file("set");
  EXPECT_EQ(buildLinkageMatrix(path.c_str(), 1, 1), -1);
  EXPECT_EQ(buildLinkageMatrix(path.c_str(), 2, 10), -2);
  writeAnchors(path, {{0, 0}, {1, 0}}, false);
  EXPECT_EQ(buildLinkageMatrix(path.c_str(), 3, 1), -7);
  EXPECT_EQ(buildLinkageMatrix(path.c_str(), 5, 1), 0);
  EXPECT_FALSE(fileExists(path + ".LMX"));
  ASSERT_EQ(mkdir((path + ".LMX").c_str(), 0700), 0);
  EXPECT_EQ(buildLinkageMatrix(path.c_str(), 1, 1), -9);
}

}  // namespace
}  // namespace tessary::testing
