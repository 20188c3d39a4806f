// The library's data set additions for hosts: combining levels and reading a column.
#include <string>

#include "data/caller_buffer.h"
#include "data/combine.h"
#include "data/data_set.h"
#include "frame/boundary.h"
#include "tessary.h"

extern "C" {

TESSARY_EXPORT int32_t tessaryCombine(const char* households, const char* clusters, const char* key,
                                      const char* daaPath, double amplifier, const char* auxiliary,
                                      const char* auxiliaryKey) {
  using namespace tessary;
  return guardExport<int32_t>(additionPolicy("tessaryCombine"), [&] {
    CombineOptions options{argumentText(households),
                           argumentText(clusters),
                           argumentText(key),
                           argumentText(daaPath),
                           amplifier,
                           argumentText(auxiliary),
                           argumentText(auxiliaryKey)};
    return static_cast<int32_t>(combineDataSets(options).clusterEntries);
  });
}

TESSARY_EXPORT int32_t tessaryReadColumn(const char* dataSet, int32_t level, const char* name,
                                         double* values, int32_t capacity) {
  using namespace tessary;
  return guardExport<int32_t>(additionPolicy("tessaryReadColumn"), [&] {
    Column column;
    return columnForCaller(
        argumentText(dataSet), level, values, capacity, "tessaryReadColumn", [&](DataSet& data) {
          column = data.readColumn(argumentText(name));
          return std::span<const double>(column.values.data(), column.values.size());
        });
  });
}

}  // extern "C"
