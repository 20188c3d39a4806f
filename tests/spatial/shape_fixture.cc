#include "shape_fixture.h"

#include <shapefil.h>

#include <stdexcept>

namespace tessary::testing {

Ring square(double x, double y, double side) {
  return {{x, y}, {x, y + side}, {x + side, y + side}, {x + side, y}, {x, y}};
}

Ring reversed(Ring ring) {
  return Ring(ring.rbegin(), ring.rend());
}

void writeShapeSet(const std::string& stem, const std::vector<Shape>& shapes,
                   const std::vector<Field>& fields) {
  SHPHandle shp = SHPCreate((stem + ".shp").c_str(), SHPT_POLYGON);
  DBFHandle dbf = DBFCreate((stem + ".dbf").c_str());
  if (shp == nullptr || dbf == nullptr) throw std::runtime_error("cannot create " + stem);
  for (const Shape& shape : shapes) {
    std::vector<int> starts;
    std::vector<double> xs, ys;
    for (const Ring& ring : shape) {
      starts.push_back(static_cast<int>(xs.size()));
      for (const auto& [x, y] : ring) {
        xs.push_back(x);
        ys.push_back(y);
      }
    }
    SHPObject* object =
        SHPCreateObject(SHPT_POLYGON, -1, static_cast<int>(starts.size()), starts.data(), nullptr,
                        static_cast<int>(xs.size()), xs.data(), ys.data(), nullptr, nullptr);
    SHPWriteObject(shp, -1, object);
    SHPDestroyObject(object);
  }
  for (const Field& f : fields)
    DBFAddNativeFieldType(dbf, f.name.c_str(), f.type, f.width, f.decimals);
  for (std::size_t r = 0; r < shapes.size(); ++r)
    for (std::size_t k = 0; k < fields.size(); ++k) {
      const std::string& value = fields[k].values.at(r);
      const int at = static_cast<int>(r), field = static_cast<int>(k);
      if (fields[k].type == 'L')
        DBFWriteLogicalAttribute(dbf, at, field, value[0]);
      else if (fields[k].type == 'N' || fields[k].type == 'F')
        DBFWriteDoubleAttribute(dbf, at, field, std::stod(value));
      else
        DBFWriteStringAttribute(dbf, at, field, value.c_str());
    }
  SHPClose(shp);
  DBFClose(dbf);
}

std::vector<Shape> readShapes(const std::string& stem) {
  SHPHandle shp = SHPOpen((stem + ".shp").c_str(), "rb");
  if (shp == nullptr) throw std::runtime_error("cannot open " + stem);
  int count = 0;
  SHPGetInfo(shp, &count, nullptr, nullptr, nullptr);
  std::vector<Shape> shapes(count);
  for (int i = 0; i < count; ++i) {
    SHPObject* object = SHPReadObject(shp, i);
    for (int p = 0; p < object->nParts; ++p) {
      const int end = p + 1 < object->nParts ? object->panPartStart[p + 1] : object->nVertices;
      Ring ring;
      for (int v = object->panPartStart[p]; v < end; ++v)
        ring.emplace_back(object->padfX[v], object->padfY[v]);
      shapes[i].push_back(ring);
    }
    SHPDestroyObject(object);
  }
  SHPClose(shp);
  return shapes;
}

std::vector<std::string> readColumn(const std::string& stem, const char* field) {
  DBFHandle dbf = DBFOpen((stem + ".dbf").c_str(), "rb");
  if (dbf == nullptr) throw std::runtime_error("cannot open " + stem);
  const int index = DBFGetFieldIndex(dbf, field);
  std::vector<std::string> values;
  for (int r = 0; r < DBFGetRecordCount(dbf); ++r)
    values.push_back(DBFReadStringAttribute(dbf, r, index));
  DBFClose(dbf);
  return values;
}

std::vector<std::string> fieldDefinitions(const std::string& stem) {
  DBFHandle dbf = DBFOpen((stem + ".dbf").c_str(), "rb");
  if (dbf == nullptr) throw std::runtime_error("cannot open " + stem);
  std::vector<std::string> definitions;
  for (int k = 0; k < DBFGetFieldCount(dbf); ++k) {
    char name[12];
    int width = 0, decimals = 0;
    DBFGetFieldInfo(dbf, k, name, &width, &decimals);
    definitions.push_back(std::string(name) + " " + DBFGetNativeFieldType(dbf, k) + " " +
                          std::to_string(width) + " " + std::to_string(decimals));
  }
  DBFClose(dbf);
  return definitions;
}

void writeAnchors(const std::string& stem, const std::vector<GeoPoint>& anchors, bool withCenterY) {
  std::vector<Shape> shapes;
  Field x{"centerX", 'N', 16, 10, {}}, y{"centerY", 'N', 16, 10, {}};
  for (const GeoPoint& p : anchors) {
    shapes.push_back({square(p.longitude, p.latitude, 0.1)});
    x.values.push_back(std::to_string(p.longitude));
    y.values.push_back(std::to_string(p.latitude));
  }
  writeShapeSet(stem, shapes, withCenterY ? std::vector<Field>{x, y} : std::vector<Field>{x});
}

void writeSquareGrid(const std::string& stem, int columns, int rows) {
  std::vector<Shape> shapes;
  Field gid{"GID", 'N', 10, 0, {}}, label{"NAME", 'C', 10, 0, {}};
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) {
      shapes.push_back({square(c, r, 1)});
      gid.values.push_back(std::to_string(shapes.size()));
      label.values.push_back("A" + std::to_string(shapes.size()));
    }
  writeShapeSet(stem, shapes, {gid, label});
}

}  // namespace tessary::testing
