// Shape files (.shp/.shx) and attribute tables (.dbf) through shapelib: owning handles,
// the path rule every spatial operation shares, opening read-only and creating.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include <shapefil.h>

namespace tessary {

struct ShapeFileCloser {
  void operator()(SHPHandle handle) const { SHPClose(handle); }
};
struct TableCloser {
  void operator()(DBFHandle handle) const { DBFClose(handle); }
};
struct ShapeObjectDeleter {
  void operator()(SHPObject* object) const { SHPDestroyObject(object); }
};

using ShapeFile = std::unique_ptr<std::remove_pointer_t<SHPHandle>, ShapeFileCloser>;
using TableFile = std::unique_ptr<std::remove_pointer_t<DBFHandle>, TableCloser>;
using ShapeObject = std::unique_ptr<SHPObject, ShapeObjectDeleter>;

// The stem of a spatial path: when its fourth character from the end is a full stop
// the last four characters go ("areas.shp" and "areas.dbf" both give "areas"); every
// file of the set is the stem plus its extension, opened with '\' read as '/'.
std::string shapeStem(std::string_view path);

// Read-only ("rb") opening of stem.shp (with its .shx) and stem.dbf; null on failure.
ShapeFile openShapeFile(std::string_view path);
TableFile openTableFile(std::string_view path);

// Creates stem.shp/.shx for polygons and an empty stem.dbf; null on failure.
ShapeFile createPolygonFile(std::string_view path);
TableFile createTableFile(std::string_view path);

// Shape `index` of an open file, or null when it cannot be read.
ShapeObject readShape(SHPHandle file, int index);

// The number of shapes and the shape type of an open file.
int shapeCount(SHPHandle file);
int shapeType(SHPHandle file);

}  // namespace tessary
