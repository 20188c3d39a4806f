#include "support/map_file.h"

#include "frame/failure.h"
#include "platform/file.h"
#include "platform/text.h"
#include "support/area_shapes.h"
#include "support/area_values.h"

namespace tessary::cli {

std::string writeMapFile(MapFileOptions o) {
  const AreaShapes shapes = readAreaShapes(o.shapes);
  const AreaValues values = valuesByArea(shapes, o.values, o.id, o.column);
  if (o.map.title.empty()) o.map.title = o.column;
  if (o.map.valueName.empty()) o.map.valueName = o.column;
  if (!writeWholeFile(o.out, choroplethSvg(shapes, values.values, o.map)))
    raiseFailure(o.out + ": can't write the file");
  return formatText("Wrote %s: %d areas, %zu with a value of %s (%zu rows in %s)\n", o.out.c_str(),
                    shapes.count, values.withValue, o.column.c_str(), values.rows,
                    o.values.c_str());
}

}  // namespace tessary::cli
