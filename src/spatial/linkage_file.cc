#include "spatial/linkage_file.h"

#include "data/little_endian.h"
#include "frame/failure.h"
#include "platform/file.h"
#include "spatial/shape_files.h"

namespace tessary {
namespace {

constexpr std::size_t kWord = sizeof(std::int32_t);
constexpr std::size_t kHeaderBytes = 3 * kWord;

}  // namespace

std::string linkageFilePath(std::string_view shapePath, std::int32_t kind) {
  static const char* const kExtensions[] = {".LMX", ".DMX", ".KMX"};
  return shapeStem(shapePath) + kExtensions[kind - 1];
}

bool writeLinkageFile(const std::string& path, std::int32_t kind, std::int32_t parameter,
                      const NeighbourLists& lists) {
  std::string bytes;
  std::size_t words = 3 + 2 * lists.size();
  for (const auto& list : lists)
    words += list.size();
  bytes.reserve(words * kWord);
  appendLittle<std::int32_t>(bytes, kind);
  appendLittle<std::int32_t>(bytes, parameter);
  appendLittle<std::int32_t>(bytes, static_cast<std::int32_t>(lists.size()));
  for (std::size_t area = 0; area < lists.size(); ++area) {
    appendLittle<std::int32_t>(bytes, static_cast<std::int32_t>(area));
    appendLittle<std::int32_t>(bytes, static_cast<std::int32_t>(lists[area].size()));
    for (const std::int32_t neighbour : lists[area])
      appendLittle<std::int32_t>(bytes, neighbour);
  }
  return writeWholeFile(path, bytes);
}

LinkageFile::LinkageFile(std::string path, std::int32_t kind, std::int32_t parameter)
    : path_(std::move(path)) {
  if (!readWholeFile(path_, bytes_) || bytes_.size() < kHeaderBytes)
    raiseFailure("Can't read from " + path_);
  if (loadLittle<std::int32_t>(bytes_.data()) != kind ||
      loadLittle<std::int32_t>(bytes_.data() + kWord) != parameter)
    differentInStructure();
  areas_ = loadLittle<std::int32_t>(bytes_.data() + 2 * kWord);
  // Every record takes at least two words.
  if (areas_ < 0 || std::size_t(areas_) > (bytes_.size() - kHeaderBytes) / (2 * kWord))
    differentInStructure();
}

NeighbourLists LinkageFile::lists() const {
  NeighbourLists lists(static_cast<std::size_t>(areas_));
  std::size_t at = kHeaderBytes;
  auto next = [&] {
    const auto word = loadLittle<std::int32_t>(bytes_.data() + at);
    at += kWord;
    return word;
  };
  for (std::int32_t area = 0; area < areas_; ++area) {
    if (bytes_.size() - at < 2 * kWord || next() != area) differentInStructure();
    const std::int32_t count = next();
    if (count < 0 || std::size_t(count) > (bytes_.size() - at) / kWord) differentInStructure();
    auto& list = lists[static_cast<std::size_t>(area)];
    list.resize(static_cast<std::size_t>(count));
    for (std::int32_t& neighbour : list) {
      neighbour = next();
      if (neighbour < 0 || neighbour >= areas_) differentInStructure();
    }
  }
  if (at != bytes_.size()) differentInStructure();
  return lists;
}

void LinkageFile::differentInStructure() const {
  raiseFailure(path_ + " is different in structure");
}

}  // namespace tessary
