// Any bytes taken as a shape file set (.shp, .shx, .dbf; layout in shape_input.h) go
// through every reader of the spatial subsystem: sizes, selection and hit tests,
// identifier statistics, standardisation, aggregation, the three linkage kinds and
// smoothing. They either work or return a failure result; nothing crashes or leaks.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "frame/failure.h"
#include "fuzz_scratch.h"
#include "platform/file.h"
#include "shape_input.h"
#include "spatial/attribute_table.h"
#include "spatial/shape_access.h"
#include "tessary.h"

namespace {

// Neighbour searches over all pairs of anchors are left to small tables.
constexpr int kLargestPairwiseTable = 300;

// Every input is written to files, in memory where that can be.
struct Workspace {
  std::string directory = tessary::fuzzing::memoryScratchDirectory("shape_files");
  std::string input = directory + "in";
  Workspace() {
    TessarySetMessageHandler([](void*, const char*, const char*, unsigned int) { return 1; });
    // Standardisation prints its field lines; the fuzzer's own report stays readable.
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    close(null);
  }
  static Workspace& workspace() {
    static Workspace w;
    return w;
  }
};

void selectAndHit(const std::string& path, int shapes) {
  std::vector<std::int32_t> records(static_cast<std::size_t>(shapes) * 24 + 24);
  std::vector<std::int32_t> coords(8192);
  std::vector<char> labels(4096);
  double bounds[4];
  double filter[4] = {0, -1e9, 1e9, 1e9};
  const tessary::ShapeBuffers buffers{records.data(), coords.data(), labels.data(), bounds,
                                      records.size(), coords.size(), labels.size()};
  for (std::int32_t mode : {0, 1, 2, 3}) {
    std::int32_t count = -1;
    try {
      count = tessary::fillShapes(path.c_str(), buffers, filter, 2, mode);
    } catch (const tessary::Failure&) {
      continue;  // the table understates the shapes: the buffers would overflow
    }
    for (double x : {0.0, 5e5, -3e6, 1e7})
      getShapeNo(x, x / 2, records.data(), coords.data(), count);
  }
}

void linkAndSmooth(const std::string& path, int areas) {
  std::vector<double> x(static_cast<std::size_t>(areas)), out(x.size());
  for (std::size_t i = 0; i < x.size(); ++i)
    x[i] = static_cast<double>(i % 7);
  const int kinds = areas <= kLargestPairwiseTable ? 4 : 1;
  for (int kind = 1; kind <= kinds; ++kind) {
    if (kind < 4) buildLinkageMatrix(path.c_str(), kind, kind == 2 ? 500 : 3);
    spatialTransform(path.c_str(), x.data(), out.data(), areas, kind,
                     kind == 2   ? 500
                     : kind == 4 ? 2
                                 : 3);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Workspace& w = Workspace::workspace();
  const auto input = tessary::fuzzing::splitShapeInput(
      std::string_view(reinterpret_cast<const char*>(data), size));
  tessary::writeWholeFile(w.input + ".shp", input.shp, tessary::Durability::kScratch);
  tessary::writeWholeFile(w.input + ".shx", input.shx, tessary::Durability::kScratch);
  tessary::writeWholeFile(w.input + ".dbf", input.dbf, tessary::Durability::kScratch);

  std::int32_t sizes[4];
  getSizes(w.input.c_str(), &sizes[0], &sizes[1], &sizes[2], &sizes[3]);
  const tessary::ShapeFile shapes = tessary::openShapeFile(w.input);
  selectAndHit(w.input, shapes != nullptr ? tessary::shapeCount(shapes.get()) : 0);
  double low, high;
  getGeoIDStats(w.input.c_str(), "GID", "Label", 1, 3, 2, &low, &high);
  const std::string standard = w.directory + "standard", districts = w.directory + "districts";
  shapeStandardize(w.input.c_str(), standard.c_str(), "GID", "Label", 0, 0);
  shapeAggregation(w.input.c_str(), districts.c_str(), "GID", "Label", 1);
  linkAndSmooth(w.input, tessary::AttributeTable(w.input).recordCount());
  return 0;
}
