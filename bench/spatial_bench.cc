// The spatial operations at national scale: contiguity of a 250 x 200 grid of squares
// against reading its shapes and against testing every pair of rectangles; distance
// bands and k nearest neighbours of 50,000 anchors against the full distance rows the
// definitions sort; aggregation of the 50,000 squares into 500 districts against
// standardising them.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "numeric/small_statistics.h"
#include "spatial/geo_anchors.h"
#include "spatial/linkage.h"
#include "spatial/polygon_rings.h"
#include "spatial/shape_files.h"
#include "spatial/standard_shape_writer.h"
#include "tessary.h"

namespace {

constexpr int kColumns = 250, kRows = 200, kBlock = 10;  // 25 x 20 districts of 10 x 10
constexpr double kSide = 0.01;                           // degrees
constexpr std::size_t kAnchors = 50'000;

// The grid as a standard shape file, district by district, GID = district * 1000 + k.
struct GridFiles {
  std::string dir = (std::filesystem::temp_directory_path() / "tessary-spatial-bench").string();
  std::string grid = dir + "/grid";

  GridFiles() {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    tessary::StandardShapeWriter writer;
    writer.create(grid);
    for (int district = 0; district < (kColumns / kBlock) * (kRows / kBlock); ++district) {
      const int c0 = district % (kColumns / kBlock) * kBlock,
                r0 = district / (kColumns / kBlock) * kBlock;
      for (int k = 0; k < kBlock * kBlock; ++k) {
        const double x = 30 + (c0 + k % kBlock) * kSide, y = -10 + (r0 + k / kBlock) * kSide;
        const double xs[] = {x, x, x + kSide, x + kSide, x}, ys[] = {y, y + kSide, y + kSide, y, y};
        tessary::PolygonRings square;
        square.appendRing(xs, ys, 5);
        writer.add(square, (district + 1) * 1000.0 + k + 1, "S" + std::to_string(k));
      }
    }
    writer.close();
  }
  ~GridFiles() { std::filesystem::remove_all(dir); }
};

GridFiles& gridFiles() {
  static GridFiles files;
  return files;
}

const std::vector<tessary::GeoPoint>& anchors() {
  static const std::vector<tessary::GeoPoint> points = [] {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> lon(30, 40), lat(-10, 0);
    std::vector<tessary::GeoPoint> p(kAnchors);
    for (auto& point : p)
      point = {lon(random), lat(random)};
    return p;
  }();
  return points;
}

void BM_Contiguity_Grid(benchmark::State& state) {
  const std::string& grid = gridFiles().grid;
  std::size_t links = 0;
  for (auto _ : state) {
    tessary::NeighbourLists lists;
    tessary::contiguityLists(grid, lists);
    links = 0;
    for (const auto& list : lists)
      links += list.size();
  }
  state.counters["pairs"] = static_cast<double>(links / 2);
  state.counters["per_pair"] = benchmark::Counter(
      static_cast<double>(links / 2),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Contiguity_Grid)->Unit(benchmark::kMillisecond)->UseRealTime();

// Baseline: reading the 50,000 shapes, the floor of any contiguity.
void BM_Contiguity_ReadShapes(benchmark::State& state) {
  const std::string& grid = gridFiles().grid;
  for (auto _ : state) {
    const tessary::ShapeFile file = tessary::openShapeFile(grid);
    std::vector<tessary::PolygonRings> shapes(tessary::shapeCount(file.get()));
    for (std::size_t i = 0; i < shapes.size(); ++i)
      shapes[i].appendShape(*tessary::readShape(file.get(), static_cast<int>(i)));
    benchmark::DoNotOptimize(shapes.data());
  }
}
BENCHMARK(BM_Contiguity_ReadShapes)->Unit(benchmark::kMillisecond)->UseRealTime();

// Baseline: only the rectangle test of every pair, what comparing all pairs costs
// before a single vertex is tested.
void BM_Contiguity_AllPairRectangles(benchmark::State& state) {
  std::vector<tessary::Bounds> boxes;
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kColumns; ++c)
      boxes.push_back({c * kSide, r * kSide, (c + 1) * kSide, (r + 1) * kSide});
  for (auto _ : state) {
    std::size_t meeting = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i)
      for (std::size_t j = i + 1; j < boxes.size(); ++j)
        meeting += boxes[i].xMin <= boxes[j].xMax && boxes[j].xMin <= boxes[i].xMax &&
                   boxes[i].yMin <= boxes[j].yMax && boxes[j].yMin <= boxes[i].yMax;
    benchmark::DoNotOptimize(meeting);
  }
}
BENCHMARK(BM_Contiguity_AllPairRectangles)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DistanceBand_50k(benchmark::State& state) {
  std::size_t links = 0;
  for (auto _ : state) {
    const auto lists = tessary::distanceBandLists(anchors(), static_cast<double>(state.range(0)));
    links = 0;
    for (const auto& list : lists)
      links += list.size();
  }
  state.counters["neighbours_per_area"] = static_cast<double>(links) / kAnchors;
}
BENCHMARK(BM_DistanceBand_50k)->Arg(10)->Arg(30)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Nearest_50k(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(
        tessary::nearestLists(anchors(), static_cast<std::int32_t>(state.range(0))));
}
BENCHMARK(BM_Nearest_50k)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond)->UseRealTime();

// Baseline: 100 of the 50,000 full distance rows the definitions work from (the
// sorted row of k nearest, the scanned row of the band); times 500 for all of them.
void BM_FullRows_100of50k(benchmark::State& state) {
  const auto& points = anchors();
  std::vector<double> distances(kAnchors), areas(kAnchors);
  for (auto _ : state)
    for (std::size_t i = 0; i < 100; ++i) {
      for (std::size_t j = 0; j < kAnchors; ++j) {
        distances[j] = j == i ? 1e300 : tessary::greatCircleKm(points[i], points[j]);
        areas[j] = static_cast<double>(j);
      }
      tessary::coSort(distances.data(), areas.data(), static_cast<std::int32_t>(kAnchors));
      benchmark::DoNotOptimize(areas.data());
    }
}
BENCHMARK(BM_FullRows_100of50k)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Aggregation_50kInto500(benchmark::State& state) {
  GridFiles& files = gridFiles();
  const std::string target = files.dir + "/districts";
  std::int32_t last = 0;
  for (auto _ : state)
    last = shapeAggregation(files.grid.c_str(), target.c_str(), "GID", "Label", 3);
  state.counters["districts"] = last + 1;
}
BENCHMARK(BM_Aggregation_50kInto500)->Unit(benchmark::kMillisecond)->UseRealTime();

// Baseline: standardising the same 50,000 squares (read, sort, write, no union).
void BM_Aggregation_Standardize50k(benchmark::State& state) {
  GridFiles& files = gridFiles();
  const std::string target = files.dir + "/standard";
  // Its two field lines go to /dev/null, not into the benchmark table.
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, STDOUT_FILENO);
  for (auto _ : state)
    benchmark::DoNotOptimize(
        shapeStandardize(files.grid.c_str(), target.c_str(), "GID", "Label", 0, 0));
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(null);
  close(saved);
}
BENCHMARK(BM_Aggregation_Standardize50k)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
