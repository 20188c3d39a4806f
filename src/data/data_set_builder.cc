#include "data/data_set_builder.h"

#include <algorithm>

#include "data/data_array_header.h"
#include "data/little_endian.h"
#include "frame/failure.h"
#include "platform/file.h"

namespace tessary {
namespace {

std::string withoutExtension(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  return dot == std::string::npos ? path : path.substr(0, dot);
}

void writeOrRaise(const std::string& path, const std::string& content) {
  if (!writeWholeFile(path, content)) raiseFailure("Can't write file " + path + ".\n");
}

}  // namespace

void createDataArray(const std::string& path, std::uint32_t recordCount) {
  const std::string stem = withoutExtension(path);
  DataArrayHeader header;
  header.recordCount = recordCount;
  header.maskBytes = static_cast<std::uint32_t>((std::uint64_t{recordCount} + 7) / 8);
  writeOrRaise(stem + ".daD", std::string(header.maskBytes, '\0'));
  writeOrRaise(stem + ".msk", "");
  writeOrRaise(stem + ".daH", encodeHeaderFile(header));
}

void writeDataRef(const std::string& path, double amplifier,
                  const std::vector<DataRefEntry>& entries) {
  std::string out;
  appendLittle(out, static_cast<std::int32_t>(entries.size()));
  appendLittle(out, amplifier);
  for (const DataRefEntry& e : entries)
    appendLittle(out, e.refKey);
  for (const DataRefEntry& e : entries)
    appendLittle(out, e.childCount);
  for (const DataRefEntry& e : entries)
    out += static_cast<char>(e.skip ? 1 : 0);
  for (const DataRefEntry& e : entries)
    appendLittle(out, e.parentCount);
  writeOrRaise(withoutExtension(path) + ".daR", out);
}

void writeCombinedDescription(const std::string& path, const std::string& households,
                              const std::string& clusters, const std::string& clusterRef,
                              const std::string& auxiliary, const std::string& auxiliaryRef) {
  std::string out = households + "\n" + clusters + "\n" + clusterRef + "\n";
  if (!auxiliary.empty()) out += auxiliary + "\n" + auxiliaryRef + "\n";
  writeOrRaise(path, out);
}

}  // namespace tessary
