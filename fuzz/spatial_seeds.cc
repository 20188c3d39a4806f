// Writes the seed corpora of the spatial fuzz targets: small shape file sets (standard
// and raw, with holes, multi-part areas and string identifiers) and the linkage files
// built from them. Run from the repository root after `make fuzz` has configured
// build-fuzz: build-fuzz/fuzz/spatial_seeds fuzz/corpus
#include <shapefil.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/directories.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "shape_input.h"
#include "spatial/linkage.h"
#include "spatial/linkage_file.h"
#include "spatial/standard_shape_writer.h"

namespace {

using tessary::PolygonRings;

PolygonRings rectangle(double x0, double y0, double x1, double y1, PolygonRings rings = {}) {
  const double xs[] = {x0, x0, x1, x1, x0}, ys[] = {y0, y1, y1, y0, y0};
  rings.appendRing(xs, ys, 5);
  return rings;
}

PolygonRings withHole(double x0, double y0, double x1, double y1) {
  PolygonRings rings = rectangle(x0, y0, x1, y1);
  const double xs[] = {x0 + 0.2, x1 - 0.2, x1 - 0.2, x0 + 0.2, x0 + 0.2};
  const double ys[] = {y0 + 0.2, y0 + 0.2, y1 - 0.2, y1 - 0.2, y0 + 0.2};
  rings.appendRing(xs, ys, 5);
  return rings;
}

void writeStandard(const std::string& stem, const std::vector<PolygonRings>& polygons,
                   const std::vector<double>& gids) {
  tessary::StandardShapeWriter writer;
  writer.create(stem);
  for (std::size_t k = 0; k < polygons.size(); ++k)
    writer.add(polygons[k], gids[k], "Area " + std::to_string(k));
  writer.close();
}

// A raw file: string identifiers in "GID" and a numeric "Label", as a user might bring.
void writeRaw(const std::string& stem) {
  SHPHandle shp = SHPCreate((stem + ".shp").c_str(), SHPT_POLYGON);
  DBFHandle dbf = DBFCreate((stem + ".dbf").c_str());
  DBFAddField(dbf, "GID", FTString, 8, 0);
  DBFAddField(dbf, "Label", FTInteger, 4, 0);
  for (int k = 0; k < 3; ++k) {
    const PolygonRings r = rectangle(k, 0, k + 1, 1);
    SHPObject* o = SHPCreateObject(SHPT_POLYGON, -1, r.ringCount(), r.partStarts.data(), nullptr,
                                   r.vertexCount(), r.x.data(), r.y.data(), nullptr, nullptr);
    SHPWriteObject(shp, -1, o);
    SHPDestroyObject(o);
    DBFWriteStringAttribute(dbf, k, 0, ("AB12" + std::to_string(3 - k)).c_str());
    DBFWriteIntegerAttribute(dbf, k, 1, k);
  }
  SHPClose(shp);
  DBFClose(dbf);
}

std::string read(const std::string& path) {
  std::string bytes;
  tessary::readWholeFile(path, bytes);
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: spatial_seeds CORPUS_DIRECTORY\n");
    return 2;
  }
  const std::string corpus = std::string(argv[1]) + "/";
  const std::string work = tessary::createUniqueDirectory(tessary::temporaryDirectory(), "seeds-");
  tessary::makeDirectories(corpus + "shape_files");
  tessary::makeDirectories(corpus + "linkage_file");
  const std::vector<std::pair<std::vector<PolygonRings>, std::vector<double>>> sets = {
      {{rectangle(0, 0, 1, 1), rectangle(1, 0, 2, 1), rectangle(0, 1, 1, 2), rectangle(1, 1, 2, 2)},
       {1, 2, 3, 4}},
      {{withHole(30, -2, 31, -1), rectangle(31, -2, 33, -1.5, rectangle(40, 5, 41, 6))}, {11, 12}},
      {{rectangle(0, 0, 1, 1), rectangle(1, 0, 2, 1), rectangle(5, 5, 6, 6)}, {1101, 1102, 1201}}};
  int seed = 0;
  for (const auto& [polygons, gids] : sets) {
    const std::string stem = work + "set" + std::to_string(++seed);
    writeStandard(stem, polygons, gids);
    tessary::writeWholeFile(corpus + "shape_files/seed" + std::to_string(seed),
                            tessary::fuzzing::joinShapeInput(
                                read(stem + ".shp"), read(stem + ".shx"), read(stem + ".dbf")));
    for (std::int32_t kind = 1; kind <= 3; ++kind) {
      tessary::buildLinkage(stem, kind, kind == 2 ? 200 : 2);
      tessary::writeWholeFile(
          corpus + "linkage_file/seed" + std::to_string(seed) + "_" + std::to_string(kind),
          read(tessary::linkageFilePath(stem, kind)));
    }
  }
  const std::string raw = work + "raw";
  writeRaw(raw);
  tessary::writeWholeFile(
      corpus + "shape_files/seed" + std::to_string(++seed),
      tessary::fuzzing::joinShapeInput(read(raw + ".shp"), read(raw + ".shx"), read(raw + ".dbf")));
  tessary::removeDirectoryTree(work);
  return 0;
}
