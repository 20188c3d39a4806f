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
    DataSet data;
    data.open(argumentText(dataSet), level);
    const int32_t count = countForCaller(data.recordCount(), "tessaryReadColumn");
    if (values == nullptr) return count;
    const Column column = data.readColumn(argumentText(name));
    copyToCaller({column.values.data(), column.values.size()}, values, capacity,
                 "tessaryReadColumn");
    return count;
  });
}

}  // extern "C"
