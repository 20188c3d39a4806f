#include "data/data_ref.h"

#include "data/little_endian.h"
#include "frame/failure.h"
#include "platform/file.h"

namespace tessary {

bool DataRef::load(const std::string& directory, const std::string& baseName) {
  directory_ = directory;
  baseName_ = baseName;
  const std::string file = path();
  File in;
  if (!in.open(file, File::Mode::kRead))
    raiseFailure("DataRef::load(): Can't open file " + file + " to read.\n");
  count_ = 0;
  amplifier_ = 1.0;
  auto truncated = [&] { raiseFailure("DataRef::load(): File " + file + " is truncated.\n"); };

  char head[12];
  if (in.read(head, 4) != 4) truncated();
  const auto n = loadLittle<std::int32_t>(head);
  if (n <= 0) return true;
  const auto entries = static_cast<std::uint64_t>(n);
  const std::int64_t size = in.size();
  if (size < 0 || static_cast<std::uint64_t>(size) < 12 + 17 * entries) truncated();
  if (in.read(head + 4, 8) != 8) truncated();
  amplifier_ = loadLittle<double>(head + 4);

  refKey_.resize(entries);
  childCount_.resize(entries);
  skip_.resize(entries);
  parentCount_.resize(entries);
  if (in.read(refKey_.data(), 8 * entries) != 8 * entries ||
      in.read(childCount_.data(), 4 * entries) != 4 * entries ||
      in.read(skip_.data(), entries) != entries ||
      in.read(parentCount_.data(), 4 * entries) != 4 * entries)
    truncated();
  count_ = entries;
  return true;
}

}  // namespace tessary
