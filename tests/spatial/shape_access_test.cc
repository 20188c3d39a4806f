// The host's view of standard shape files: getSizes, getShapes, getShapeNo and
// getGeoIDStats.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <limits>

#include "shape_fixture.h"
#include "spatial/shape_access.h"
#include "tessary.h"
#include "test_support.h"

namespace tessary::testing {
namespace {

constexpr std::int32_t kUnwritten = 0x5A5A5A5A;

// A summary table over unit squares with the given GIDs, without the fields in `drop`.
void writeSummarySet(const std::string& stem, const std::vector<std::string>& gids,
                     const std::vector<std::string>& drop = {}, char gidType = 'N',
                     std::vector<Shape> shapes = {}) {
  const bool squares = shapes.empty();
  std::vector<Field> fields = {{"GID", gidType, 18, gidType == 'N' ? 1 : 0, gids},
                               {"Label", 'C', 64, 0, {}}};
  for (const char* name : {"centerX", "centerY", "Area", "xMin", "yMin", "xMax", "yMax"})
    fields.push_back({name, 'N', 16, 6, {}});
  for (const char* name : {"nVertices", "nParts", "LabelLen"})
    fields.push_back({name, 'N', 8, 0, {}});
  for (std::size_t i = 0; i < gids.size(); ++i) {
    const double x = static_cast<double>(i);
    if (squares) shapes.push_back({square(x, 0, 1)});
    const std::string values[] = {"L" + std::to_string(i),
                                  std::to_string(x + 0.5),
                                  "0.5",
                                  "1",
                                  std::to_string(x),
                                  "0",
                                  std::to_string(x + 1),
                                  "1",
                                  "5",
                                  "1",
                                  "2"};
    for (std::size_t k = 1; k < fields.size(); ++k)
      fields[k].values.push_back(values[k - 1]);
  }
  std::erase_if(fields, [&](const Field& f) {
    return std::find(drop.begin(), drop.end(), f.name) != drop.end();
  });
  writeShapeSet(stem, shapes, fields);
}

struct Selection {
  std::vector<std::int32_t> records = std::vector<std::int32_t>(24 * 8, kUnwritten);
  std::vector<std::int32_t> coords = std::vector<std::int32_t>(512, kUnwritten);
  std::vector<char> labels = std::vector<char>(64, '#');
  double bounds[4] = {};
  std::int32_t count = 0;

  Selection(const std::string& path, std::vector<double> filter, std::int32_t mode) {
    count = getShapes(path.c_str(), records.data(), coords.data(), labels.data(), bounds,
                      filter.data(), static_cast<std::int32_t>(filter.size()), mode);
  }
  const std::int32_t* record(int k) const { return records.data() + 24 * k; }
  std::vector<double> gids() const {
    std::vector<double> out;
    for (int k = 0; k < count; ++k)
      out.push_back(recordDouble(record(k), 8));
    return out;
  }
};

TEST(GetShapes, RecordAndCoordinateWordsInTruncatedMicroUnits) {
  ScratchDir dir;
  const std::string raw = dir.file("raw"), standard = dir.file("std");
  const Shape a = {square(-1.5000005, 2.0000009, 1)};
  const Shape b = {square(10, 10, 4), reversed(square(11, 11, 1))};
  writeShapeSet(raw, {a, b},
                {{"ID", 'N', 5, 0, {"5", "2"}}, {"NAME", 'C', 20, 0, {"West", "East"}}});
  ::testing::internal::CaptureStdout();
  ASSERT_EQ(shapeStandardize(raw.c_str(), standard.c_str(), "ID", "NAME", 0, 0), 0);
  ::testing::internal::GetCapturedStdout();

  std::int32_t vertices = 0, parts = 0, labelBytes = 0, largest = 0;
  EXPECT_EQ(getSizes((standard + ".shp").c_str(), &vertices, &parts, &labelBytes, &largest), 2);
  EXPECT_EQ(std::vector<std::int32_t>({vertices, parts, labelBytes, largest}),
            std::vector<std::int32_t>({15, 3, 8, 10}));

  const Selection s(standard + ".dbf", {}, 0);
  ASSERT_EQ(s.count, 2);
  // Sorted by identifier: the shape with ID 2 comes first.
  EXPECT_EQ(std::vector<std::int32_t>(s.record(0), s.record(0) + 8),
            std::vector<std::int32_t>({0, 5, 10, 2, 0, kUnwritten, 4, 0}));
  EXPECT_EQ(std::vector<std::int32_t>(s.record(1), s.record(1) + 8),
            std::vector<std::int32_t>({1, 5, 5, 1, 24, kUnwritten, 4, 4}));
  const double expected[2][8] = {{2, 10e6, 10e6, 14e6, 14e6, 12e6, 12e6, 15},
                                 {5, -1500000, 2000000, -500000, 3000000, -1000000, 2500000, 1}};
  for (int k = 0; k < 2; ++k)
    for (int w = 0; w < 8; ++w)
      EXPECT_NEAR(recordDouble(s.record(k), 8 + 2 * w), expected[k][w], 1e-9) << k << " " << w;
  EXPECT_EQ(std::string(s.labels.data(), 9), "EastWest#");
  const std::vector<std::int32_t> squareA = {5,        5,       -1500000, 2000000,
                                             -1500000, 3000000, -500000,  3000000,
                                             -500000,  2000000, -1500000, 2000000};
  EXPECT_EQ(std::vector<std::int32_t>(s.coords.begin() + 24, s.coords.begin() + 36), squareA);
  EXPECT_EQ(s.coords[36], kUnwritten);
  EXPECT_EQ(std::vector<std::int32_t>(s.coords.begin() + 12, s.coords.begin() + 14),
            std::vector<std::int32_t>({5, 5}));  // the hole: part type and vertex count
  EXPECT_DOUBLE_EQ(s.bounds[0], -1.5000005 * 1e6);
  EXPECT_DOUBLE_EQ(s.bounds[1], 2.0000009 * 1e6);
  EXPECT_DOUBLE_EQ(s.bounds[2], 14e6);
  EXPECT_DOUBLE_EQ(s.bounds[3], 14e6);
}

TEST(GetShapes, SelectionModes) {
  ScratchDir dir;
  const std::string path = dir.file("set");
  writeSummarySet(path, {"1", "2", "7"});
  EXPECT_EQ(Selection(path, {2, 7}, 1).gids(), std::vector<double>({2, 7}));
  EXPECT_EQ(Selection(path, {1.5, 0, 2.5, 1}, 2).gids(), std::vector<double>({2, 7}));
  EXPECT_EQ(Selection(path, {1, -5, 1, -1}, 2).gids(), std::vector<double>());
  EXPECT_EQ(Selection(path, {}, 9).gids(), std::vector<double>({1, 2, 7}));
  // The absent 5 stays wanted and blocks 7.
  EXPECT_EQ(Selection(path, {1, 5, 7}, 3).gids(), std::vector<double>({1}));
  EXPECT_EQ(Selection(path, {2, 7}, 3).gids(), std::vector<double>({2, 7}));
  EXPECT_EQ(Selection(path, {3, 1}, 3).count, -8);
  EXPECT_EQ(Selection(path, {5, 6}, 1).bounds[0], std::numeric_limits<double>::infinity());

  writeSummarySet(path, {"1", "1", "2", "3"});
  EXPECT_EQ(Selection(path, {1, 1, 2}, 3).gids(), std::vector<double>({1, 1, 2}));
  const Selection once(path, {1, 2, 2}, 3);
  EXPECT_EQ(once.gids(), std::vector<double>({1, 2}));
  EXPECT_EQ(once.record(1)[0], 2);  // the shape number in the file
}

TEST(GetShapes, FailureResults) {
  ScratchDir dir;
  const std::string path = dir.file("set");
  EXPECT_EQ(Selection(path, {}, 0).count, -1);
  writeSummarySet(path, {"1"});
  std::remove((path + ".dbf").c_str());
  EXPECT_EQ(Selection(path, {}, 0).count, -2);
  const struct {
    std::vector<std::string> drop;
    std::int32_t result;
  } cases[] = {{{"GID"}, -5},  {{"Label"}, -6}, {{"centerX"}, -7}, {{"Area"}, -7},
               {{"yMax"}, -7}, {{"nParts"}, 1}, {{"LabelLen"}, 1}};
  for (const auto& c : cases) {
    writeSummarySet(path, {"1"}, c.drop);
    EXPECT_EQ(Selection(path, {}, 0).count, c.result) << c.drop[0];
  }
  writeSummarySet(path, {"T"}, {}, 'L');
  EXPECT_EQ(Selection(path, {}, 0).count, -11);
}

TEST(GetSizes, MissingTableOrGidLeavesTheOutputsAlone) {
  ScratchDir dir;
  const std::string path = dir.file("set");
  std::int32_t out[4] = {-3, -3, -3, -3};
  EXPECT_EQ(getSizes(path.c_str(), &out[0], &out[1], &out[2], &out[3]), -2);
  writeSummarySet(path, {"1", "2"}, {"GID"});
  EXPECT_EQ(getSizes(path.c_str(), &out[0], &out[1], &out[2], &out[3]), -5);
  EXPECT_EQ(std::vector<std::int32_t>(out, out + 4), std::vector<std::int32_t>(4, -3));
  writeSummarySet(path, {"1", "2"});
  EXPECT_EQ(getSizes(path.c_str(), &out[0], &out[1], &out[2], &out[3]), 2);
  EXPECT_EQ(std::vector<std::int32_t>(out, out + 4), std::vector<std::int32_t>({10, 2, 4, 5}));
}

TEST(GetShapeNo, EdgesVerticesAndHoles) {
  ScratchDir dir;
  const std::string path = dir.file("set");
  // A 10 x 10 micro-unit square, and a 4 x 4 map-unit square with a 1 x 1 hole.
  writeSummarySet(path, {"1", "2"}, {}, 'N',
                  {{square(0, 0, 10e-6)}, {square(10, 10, 4), reversed(square(11, 11, 1))}});
  const Selection s(path, {}, 0);
  ASSERT_EQ(s.count, 2);
  const struct {
    double x, y;
    std::int32_t hit;
  } points[] = {{5, 5, 0},         {10, 5, -1},         {5, 10, -1},
                {0, 5, 0},         {5, 0, 0},           {0, 0, 0},
                {10, 10, -1},      {12.5e6, 12.5e6, 1}, {11.5e6, 11.5e6, -1},
                {10e6, 12e6, 1},   {14e6, 12e6, -1},    {12e6, 14e6, -1},
                {12e6, 10e6, 1},   {11e6, 11.5e6, -1},  {12e6, 11.5e6, 1},
                {11.5e6, 12e6, 1}, {11.5e6, 11e6, -1},  {-1, 5, -1}};
  for (const auto& p : points)
    EXPECT_EQ(getShapeNo(p.x, p.y, s.records.data(), s.coords.data(), 2), p.hit)
        << p.x << ", " << p.y;
  EXPECT_EQ(getShapeNo(5, 5, s.records.data(), s.coords.data(), 0), -1);
}

TEST(GetGeoIDStats, RangeAndDistinctShiftedIdentifiers) {
  ScratchDir dir;
  const std::string path = dir.file("set");
  double low = -1, high = -1;
  EXPECT_EQ(getGeoIDStats(path.c_str(), "ID", "NAME", 0, 0, 2, &low, &high), -2);
  writeShapeSet(path, {{square(0, 0, 1)}, {square(1, 0, 1)}, {square(2, 0, 1)}},
                {{"ID", 'N', 6, 0, {"1201", "1101", "1102"}},
                 {"CODE", 'C', 8, 0, {"XY1201", "XY1101", "XY1102"}},
                 {"NAME", 'C', 8, 0, {"a", "b", "c"}}});
  EXPECT_EQ(getGeoIDStats(path.c_str(), "ID", "NAME", 0, 0, 2, &low, &high), 2);
  EXPECT_EQ(low, 11);
  EXPECT_EQ(high, 12);
  EXPECT_EQ(getGeoIDStats(path.c_str(), "code", "name", 2, 4, 0, &low, &high), 3);
  EXPECT_EQ(low, 1101);
  EXPECT_EQ(high, 1201);
  EXPECT_EQ(getGeoIDStats(path.c_str(), "CODE", "NAME", 3, 1, 0, &low, &high), 2);  // 1 and 2
  EXPECT_EQ(getGeoIDStats(path.c_str(), "NONE", "NAME", 0, 0, 0, &low, &high), -5);
  EXPECT_EQ(getGeoIDStats(path.c_str(), "ID", "NONE", 0, 0, 0, &low, &high), -6);
}

}  // namespace
}  // namespace tessary::testing
