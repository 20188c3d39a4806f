// Linkage files: contiguity, distance band and k nearest neighbours on small known
// layouts, byte for byte; the failure results; the spatial fuzz targets' seeds.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "data/little_endian.h"
#include "platform/file.h"
#include "shape_fixture.h"
#include "shape_input.h"
#include "spatial/geo_anchors.h"
#include "spatial/linkage_file.h"
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
  EXPECT_EQ(buildLinkageMatrix(path.c_str(), 3, 0), 0);
  EXPECT_EQ(words(path, ".KMX"), std::vector<std::int32_t>({3, 0, 3, 0, 0, 1, 0, 2, 0}));
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

// Writes the seed corpora of the spatial fuzz targets into
// $TESSARY_SEED_DIR/{shape_files,linkage_file} (nothing without it): standardised sets
// (a grid, holes and a multi-part area, identifiers to aggregate), the linkage files of
// each, and a raw set with string identifiers and a numeric label.
TEST(ShapeFiles, FuzzSeeds) {
  const char* seeds = std::getenv("TESSARY_SEED_DIR");
  if (seeds == nullptr) GTEST_SKIP() << "TESSARY_SEED_DIR not set";
  const std::string root = std::string(seeds) + "/";
  std::filesystem::create_directories(root + "shape_files");
  std::filesystem::create_directories(root + "linkage_file");
  ScratchDir dir;
  const std::string raw = dir.file("raw"), standard = dir.file("standard");
  auto seed = [&](const std::string& stem, int number) {
    writeFile(root + "shape_files/seed" + std::to_string(number),
              fuzzing::joinShapeInput(readFile(stem + ".shp"), readFile(stem + ".shx"),
                                      readFile(stem + ".dbf")));
  };
  const std::vector<std::pair<std::vector<Shape>, std::vector<std::string>>> sets = {
      {{{square(0, 0, 1)}, {square(1, 0, 1)}, {square(0, 1, 1)}, {square(1, 1, 1)}},
       {"1", "2", "3", "4"}},
      {{{square(30, -2, 1), reversed(square(30.2, -1.8, 0.6))},
        {square(31, -2, 0.5), square(40, 5, 1)}},
       {"11", "12"}},
      {{{square(0, 0, 1)}, {square(1, 0, 1)}, {square(5, 5, 1)}}, {"1101", "1102", "1201"}}};
  for (std::size_t k = 0; k < sets.size(); ++k) {
    const auto& [shapes, gids] = sets[k];
    writeShapeSet(raw, shapes, {{"GID", 'N', 8, 0, gids}, {"NAME", 'C', 8, 0, gids}});
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(shapeStandardize(raw.c_str(), standard.c_str(), "GID", "NAME", 0, 0), 0);
    ::testing::internal::GetCapturedStdout();
    seed(standard, static_cast<int>(k + 1));
    for (std::int32_t kind = 1; kind <= 3; ++kind) {
      ASSERT_EQ(buildLinkageMatrix(standard.c_str(), kind, kind == 2 ? 200 : 2), 0);
      writeFile(root + "linkage_file/seed" + std::to_string(k + 1) + "_" + std::to_string(kind),
                readFile(linkageFilePath(standard, kind)));
    }
  }
  writeShapeSet(
      raw, {{square(0, 0, 1)}, {square(1, 0, 1)}, {square(2, 0, 1)}},
      {{"GID", 'C', 8, 0, {"AB123", "AB122", "AB121"}}, {"Label", 'N', 4, 0, {"0", "1", "2"}}});
  seed(raw, 4);
}

}  // namespace
}  // namespace tessary::testing
