#include "spatial/shape_files.h"

#include "platform/paths.h"

namespace tessary {
namespace {

void ignoreMessage(const char*) {}

// shapelib's own file hooks, with its diagnostics silenced: a damaged file is
// reported through the operation's result, not on standard error.
SAHooks* quietHooks() {
  static SAHooks hooks = [] {
    SAHooks h;
    SASetupDefaultHooks(&h);
    h.Error = &ignoreMessage;
    return h;
  }();
  return &hooks;
}

}  // namespace

std::string shapeStem(std::string_view path) {
  std::string stem(path);
  if (stem.size() >= 4 && stem[stem.size() - 4] == '.') stem.resize(stem.size() - 4);
  return stem;
}

ShapeFile openShapeFile(std::string_view path) {
  return ShapeFile(SHPOpenLL(nativePath(shapeStem(path) + ".shp").c_str(), "rb", quietHooks()));
}

TableFile openTableFile(std::string_view path) {
  return TableFile(DBFOpenLL(nativePath(shapeStem(path) + ".dbf").c_str(), "rb", quietHooks()));
}

ShapeFile createPolygonFile(std::string_view path) {
  return ShapeFile(
      SHPCreateLL(nativePath(shapeStem(path) + ".shp").c_str(), SHPT_POLYGON, quietHooks()));
}

TableFile createTableFile(std::string_view path) {
  return TableFile(
      DBFCreateLL(nativePath(shapeStem(path) + ".dbf").c_str(), nullptr, quietHooks()));
}

ShapeObject readShape(SHPHandle file, int index) {
  return ShapeObject(SHPReadObject(file, index));
}

int shapeCount(SHPHandle file) {
  int count = 0;
  int type = 0;
  SHPGetInfo(file, &count, &type, nullptr, nullptr);
  return count;
}

int shapeType(SHPHandle file) {
  int count = 0;
  int type = 0;
  SHPGetInfo(file, &count, &type, nullptr, nullptr);
  return type;
}

}  // namespace tessary
