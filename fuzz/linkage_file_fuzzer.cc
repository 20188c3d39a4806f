// Any bytes taken as a linkage file are read under the kind and parameter their own
// header claims: the reader returns neighbour lists that stay inside the areas, or
// raises one of its two messages, and smoothing over the lists stays in bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frame/failure.h"
#include "fuzz_scratch.h"
#include "platform/file.h"
#include "spatial/linkage_file.h"
#include "tessary.h"

namespace {

using tessary::fuzzing::require;

// Every input is written to files, in memory where that can be.
const std::string& directory() {
  static const std::string& path = []() -> const std::string& {
    TessarySetMessageHandler([](void*, const char*, const char*, unsigned int) { return 1; });
    return tessary::fuzzing::memoryScratchDirectory("linkage_file");
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::int32_t header[3] = {1, 1, 0};
  std::memcpy(header, data, std::min(size, sizeof header));
  const std::int32_t kind = header[0] >= 1 && header[0] <= 3 ? header[0] : 1;
  const std::string shape = directory() + "areas";
  const std::string path = tessary::linkageFilePath(shape, kind);
  tessary::writeWholeFile(path, std::string_view(reinterpret_cast<const char*>(data), size),
                          tessary::Durability::kScratch);
  try {
    const tessary::LinkageFile file(path, kind, header[1]);
    const tessary::NeighbourLists lists = file.lists();
    require(lists.size() == static_cast<std::size_t>(file.areaCount()));
    for (const auto& list : lists)
      for (std::int32_t neighbour : list)
        require(neighbour >= 0 && neighbour < file.areaCount());
  } catch (const tessary::Failure& failure) {
    const std::string text = failure.text();
    require(text == "Can't read from " + path || text == path + " is different in structure");
  }
  const std::int32_t n = header[2] >= 0 && header[2] <= 4096 ? header[2] : 0;
  std::vector<double> x(static_cast<std::size_t>(n), 1.0), out(x.size());
  spatialTransform(shape.c_str(), x.data(), out.data(), n, kind, header[1]);
  return 0;
}
