// A real shape file nobody here wrote: the North Carolina counties that Debian's
// r-cran-sf installs. Standardised, linked by contiguity, and compared with counties
// that share a boundary vertex, computed here independently.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "platform/file.h"
#include "shape_fixture.h"
#include "spatial/linkage.h"
#include "tessary.h"
#include "test_support.h"

namespace tessary::testing {
namespace {

constexpr const char* kCounties = "/usr/lib/R/site-library/sf/shape/nc.shp";

using Pairs = std::set<std::pair<int, int>>;

// Pairs of counties with at least one vertex in common (a shared boundary segment
// always brings its end vertices).
Pairs sharedVertexPairs(const std::vector<Shape>& counties) {
  std::map<std::pair<double, double>, std::set<int>> owners;
  for (std::size_t c = 0; c < counties.size(); ++c)
    for (const Ring& ring : counties[c])
      for (const auto& vertex : ring)
        owners[vertex].insert(static_cast<int>(c));
  Pairs pairs;
  for (const auto& [vertex, counties] : owners)
    for (int a : counties)
      for (int b : counties)
        if (a < b) pairs.emplace(a, b);
  return pairs;
}

TEST(RealShapes, NorthCarolinaCountiesContiguity) {
  if (!fileExists(kCounties)) GTEST_SKIP() << kCounties << " is absent (Debian package r-cran-sf)";
  ScratchDir dir;
  const std::string target = dir.file("nc");
  ::testing::internal::CaptureStdout();
  ASSERT_EQ(shapeStandardize(kCounties, target.c_str(), "FIPSNO", "NAME", 0, 0), 0);
  ::testing::internal::GetCapturedStdout();
  const std::vector<Shape> counties = readShapes(target);
  ASSERT_EQ(counties.size(), 100u);
  EXPECT_EQ(readColumn(target, "Label")[0], "Alamance");  // FIPS 37001

  NeighbourLists lists;
  ASSERT_EQ(contiguityLists(target, lists), 0);
  Pairs found;
  for (std::size_t a = 0; a < lists.size(); ++a)
    for (int b : lists[a])
      if (static_cast<int>(a) < b) found.emplace(static_cast<int>(a), b);
  const Pairs sharing = sharedVertexPairs(counties);
  // 245 pairs of counties share a vertex. The rule tests only the vertices of the
  // lower-numbered county against the higher one's first ring, and a shared vertex
  // counts as inside only on the lower or left side of that ring, so it links 159 of
  // them and nothing else.
  EXPECT_EQ(sharing.size(), 245u);
  EXPECT_EQ(found.size(), 159u);
  for (const auto& pair : found)
    EXPECT_TRUE(sharing.count(pair)) << pair.first << "-" << pair.second;
}

}  // namespace
}  // namespace tessary::testing
