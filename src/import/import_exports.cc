// The library's import addition for hosts: a foreign file as a data array.
#include <string>

#include "frame/boundary.h"
#include "import/import_file.h"
#include "tessary.h"

extern "C" {

TESSARY_EXPORT int32_t tessaryImport(const char* file, const char* dataArray,
                                     const char* idVariable, const char* weightVariable) {
  using namespace tessary;
  return guardExport<int32_t>(additionPolicy("tessaryImport"), [&] {
    const WriteReport report =
        importFile(argumentText(file), argumentText(dataArray),
                   {{argumentText(idVariable), argumentText(weightVariable)}});
    return static_cast<int32_t>(report.records);
  });
}

}  // extern "C"
