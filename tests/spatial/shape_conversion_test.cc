// Standardisation and aggregation of shape files: the summary table, runs of equal
// identifiers, unions that keep holes, and every failure result.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/file.h"
#include "shape_fixture.h"
#include "tessary.h"
#include "test_support.h"

namespace tessary::testing {
namespace {

double signedArea(const Ring& ring) {
  double sum = 0.0;
  for (std::size_t k = 0; k + 1 < ring.size(); ++k)
    sum += ring[k].first * ring[k + 1].second - ring[k + 1].first * ring[k].second;
  return sum / 2;
}

std::int32_t standardize(const std::string& source, const std::string& target, const char* id,
                         const char* label, int start = 0, int length = 0,
                         std::string* printed = nullptr) {
  ::testing::internal::CaptureStdout();
  const std::int32_t result =
      shapeStandardize(source.c_str(), target.c_str(), id, label, start, length);
  const std::string out = ::testing::internal::GetCapturedStdout();
  if (printed != nullptr) *printed = out;
  return result;
}

TEST(ShapeStandardize, MergesRunsOfEqualIdentifiersIntoTheSummaryTable) {
  ScratchDir dir;
  const std::string raw = dir.file("raw"), target = dir.file("std");
  writeShapeSet(
      raw, {{square(0, 0, 1)}, {square(5, 5, 2)}, {square(3, 0, 1)}},
      {{"ID", 'N', 5, 0, {"7", "3", "7"}}, {"NAME", 'C', 12, 0, {"first", "  North  ", "third"}}});
  std::string printed;
  ASSERT_EQ(standardize(raw + ".shp", target, "id", "name", 0, 0, &printed), 0);
  EXPECT_EQ(printed, "0 1 0 0<<<<\n1 0 0 0<<<<\n");
  EXPECT_EQ(fieldDefinitions(target),
            std::vector<std::string>(
                {"Seq N 10 0", "GID N 18 1", "nVertices N 16 0", "nParts N 16 0", "Label C 64 0",
                 "xMin N 16 10", "yMin N 16 10", "xMax N 16 10", "yMax N 16 10", "centerX N 16 10",
                 "centerY N 16 10", "Area N 16 6", "LabelLen N 2 0"}));
  // The library's quicksort orders 7, 3, 7 as 3 (shape 1), 7 (shape 2), 7 (shape 0).
  const auto shapes = readShapes(target);
  ASSERT_EQ(shapes.size(), 2u);
  EXPECT_EQ(shapes[0], Shape({square(5, 5, 2)}));
  EXPECT_EQ(shapes[1], Shape({square(3, 0, 1), square(0, 0, 1)}));
  const std::vector<std::pair<const char*, std::vector<std::string>>> columns = {
      {"Seq", {"0", "1"}},
      {"GID", {"3.0", "7.0"}},
      {"nVertices", {"5", "10"}},
      {"nParts", {"1", "2"}},
      {"Label", {"North", "third"}},
      {"xMin", {"5.0000000000", "0.0000000000"}},
      {"yMax", {"7.0000000000", "1.0000000000"}},
      {"centerX", {"6.0000000000", "2.0000000000"}},
      {"centerY", {"6.0000000000", "0.5000000000"}},
      {"Area", {"4.000000", "2.000000"}},
      {"LabelLen", {"5", "5"}}};
  for (const auto& [field, values] : columns)
    EXPECT_EQ(readColumn(target, field), values) << field;
}

TEST(ShapeStandardize, StringIdentifiersAndLabelAnchors) {
  ScratchDir dir;
  const std::string raw = dir.file("raw"), target = dir.file("std");
  // An L whose centroid (3.22, 3.22) falls outside it.
  const Ring ell = {{0, 0}, {0, 10}, {2, 10}, {2, 2}, {10, 2}, {10, 0}, {0, 0}};
  const Ring triangle = {{0, 0}, {3, 3}, {6, 0}, {0, 0}};
  writeShapeSet(raw, {{ell}, {triangle}},
                {{"CODE", 'C', 8, 0, {"AB1234", "AB0999x"}}, {"NAME", 'C', 8, 0, {"L", "T"}}});
  std::string printed;
  ASSERT_EQ(standardize(raw, target, "CODE", "NAME", 2, 4, &printed), 0);
  EXPECT_EQ(printed, "0 0 2 4<<<<\n1 0 2 4<<<<\n");
  EXPECT_EQ(readColumn(target, "GID"), std::vector<std::string>({"999.0", "1234.0"}));
  EXPECT_EQ(readColumn(target, "centerX"),
            std::vector<std::string>({"3.0000000000", "1.0000000000"}));
  EXPECT_EQ(readColumn(target, "centerY"),
            std::vector<std::string>({"1.0000000000", "5.0000000000"}));
  EXPECT_EQ(readColumn(target, "Area"), std::vector<std::string>({"9.000000", "36.000000"}));
}

TEST(ShapeStandardize, FailureResultsKeepTheFilesCreated) {
  ScratchDir dir;
  const std::string raw = dir.file("raw"), target = dir.file("std");
  EXPECT_EQ(standardize(raw, target, "ID", "NAME"), -1);
  writeShapeSet(raw, {{square(0, 0, 1)}},
                {{"ID", 'N', 5, 0, {"1"}},
                 {"NAME", 'C', 8, 0, {"a"}},
                 {"SIZE", 'N', 5, 0, {"2"}},
                 {"OK", 'L', 1, 0, {"T"}}});
  const struct {
    const char* id;
    const char* label;
    int start, length;
    std::int32_t result;
  } cases[] = {{"NOPE", "NAME", 0, 0, -5}, {"ID", "NOPE", 0, 0, -6},  {"ID", "NAME", 2, 0, -9},
               {"ID", "NAME", 0, 1, -9},   {"ID", "SIZE", 0, 0, -10}, {"OK", "NAME", 0, 0, -11}};
  for (const auto& c : cases) {
    removeFile(target + ".shp");
    EXPECT_EQ(standardize(raw, target, c.id, c.label, c.start, c.length), c.result) << c.id;
    EXPECT_TRUE(fileExists(target + ".shp"));
  }
  EXPECT_EQ(standardize(raw, dir.file("none/std"), "ID", "NAME"), -3);
  ASSERT_EQ(mkdir(dir.file("blocked.dbf").c_str(), 0700), 0);
  EXPECT_EQ(standardize(raw, dir.file("blocked"), "ID", "NAME"), -4);
  removeFile(raw + ".dbf");
  EXPECT_EQ(standardize(raw, target, "ID", "NAME"), -2);
}

TEST(ShapeAggregation, UnitesGroupsAndKeepsHoles) {
  ScratchDir dir;
  const std::string source = dir.file("areas"), target = dir.file("districts");
  // District 11: two squares sharing an edge. District 21: a frame of four strips
  // around a hole. District 13: a square with a hole and a square apart.
  const std::vector<Shape> shapes = {{square(0, 0, 1)},
                                     {square(1, 0, 1)},
                                     {square(10, 0, 3), reversed(square(11, 1, 1))},
                                     {square(14, 0, 1)},
                                     {{{20, 0}, {20, 1}, {23, 1}, {23, 0}, {20, 0}}},
                                     {{{20, 2}, {20, 3}, {23, 3}, {23, 2}, {20, 2}}},
                                     {square(20, 1, 1)},
                                     {square(22, 1, 1)}};
  writeShapeSet(
      source, shapes,
      {{"GID", 'N', 8, 0, {"1101", "1102", "1301", "1302", "2101", "2102", "2103", "2104"}},
       {"Label", 'C', 8, 0, {"a", "b", "c", "d", "e", "f", "g", "h"}}});
  ASSERT_EQ(shapeAggregation(source.c_str(), target.c_str(), "GID", "Label", 2), 2);
  EXPECT_EQ(readColumn(target, "GID"), std::vector<std::string>({"11.0", "13.0", "21.0"}));
  EXPECT_EQ(readColumn(target, "Label"), std::vector<std::string>({"a", "c", "e"}));
  EXPECT_EQ(readColumn(target, "nParts"), std::vector<std::string>({"1", "3", "2"}));
  EXPECT_EQ(readColumn(target, "Area"),
            std::vector<std::string>({"2.000000", "9.000000", "8.000000"}));
  const auto united = readShapes(target);
  ASSERT_EQ(united.size(), 3u);
  // Outer rings clockwise (negative shoelace sum), holes counter-clockwise, all closed.
  std::vector<double> areas;
  for (const Shape& shape : united)
    for (const Ring& ring : shape) {
      areas.push_back(signedArea(ring));
      EXPECT_EQ(ring.front(), ring.back());
    }
  EXPECT_EQ(areas, std::vector<double>({-2, -9, 1, -1, -9, 1}));
  EXPECT_EQ(readColumn(target, "centerX")[2], "21.5000000000");
  EXPECT_TRUE(fileExists(target + ".LMX"));
}

TEST(ShapeAggregation, IdentifiersMustAscendStrictly) {
  ScratchDir dir;
  const std::string source = dir.file("areas"), target = dir.file("districts");
  for (const auto& ids : {std::vector<std::string>{"1101", "1101"}, {"1102", "1101"}}) {
    writeShapeSet(source, {{square(0, 0, 1)}, {square(1, 0, 1)}},
                  {{"GID", 'N', 8, 0, ids}, {"Label", 'C', 8, 0, {"a", "b"}}});
    EXPECT_EQ(shapeAggregation(source.c_str(), target.c_str(), "GID", "Label", 2), -8);
  }
  EXPECT_EQ(shapeAggregation(source.c_str(), target.c_str(), "NOPE", "Label", 2), -5);
  EXPECT_EQ(shapeAggregation(source.c_str(), target.c_str(), "GID", "NOPE", 2), -6);
}

}  // namespace
}  // namespace tessary::testing
