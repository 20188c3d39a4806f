// The tabulation exports: CrossTabulate and summaryByShiftedID.
#include <string>

#include "data/data_set.h"
#include "frame/boundary.h"
#include "tab/shifted_id_summary.h"
#include "tab/xtab.h"
#include "tessary.h"

namespace tessary {
namespace {

// Both tabulation exports show a thrown text with an exclamation icon, only when the
// caller asks for messages, and log every failure.
constexpr BoundaryPolicy tabulationPolicy(const char* caption) {
  return {.caption = caption,
          .textStyle = 0x30,
          .textResult = -2,
          .otherText = "ErrorCode: %i",
          .otherResult = -1,
          .logPlace = " XTbl in Tessary.dll"};
}

// The data set a tabulation reads: a combined data array at level sourceCode (0, 1, 2)
// or, for codes of 3 and more, a data array.
DataSet openTabulated(const std::string& path, std::int32_t sourceCode) {
  DataSet data;
  if (sourceCode >= 3) {
    try {
      data.openDataArray(path);
    } catch (const Failure&) {
      raiseFailure("Loading DA:" + path + " failed.");
    }
    return data;
  }
  if (sourceCode < 0) raiseFailure("Invalid cursor.\n");
  try {
    data.openCombined(path, sourceCode);
  } catch (const Failure&) {
    raiseFailure("Loading CDA:" + path + " failed.");
  }
  return data;
}

}  // namespace
}  // namespace tessary

extern "C" {

TESSARY_EXPORT int32_t CrossTabulate(void* owner, const char* dataPath, int32_t sourceCode,
                                     const char* recordFilter, const char* weight, int32_t mode,
                                     const char* list, const char* rowFormula,
                                     const char* colFormula, unsigned char* options,
                                     unsigned char showMessages) {
  using namespace tessary;
  return guardExport<int32_t>(
      tabulationPolicy("CrossTabulate..."),
      [&] {
        DataSet data = openTabulated(argumentText(dataPath), sourceCode);
        XTab xtab(data);
        xtab.setup(mode, argumentText(recordFilter), argumentText(weight), argumentText(list),
                   argumentText(rowFormula), argumentText(colFormula), options);
        return xtab.generate();
      },
      owner, showMessages != 0);
}

TESSARY_EXPORT int32_t summaryByShiftedID(void* owner, const char* dataPath, int32_t sourceCode,
                                          const char* recordFilter, const char* weight,
                                          const char* list, int32_t shift, int32_t statistic,
                                          unsigned char showMessages, double* keysOut,
                                          double* valuesOut) {
  using namespace tessary;
  return guardExport<int32_t>(
      tabulationPolicy("Summary..."),
      [&] {
        DataSet data = openTabulated(argumentText(dataPath), sourceCode);
        // Of the option bytes a summary would set, only those of statistics 1 to 5 have a
        // statistic of their own; every other one gives the weighted mean.
        const ShiftedIdRequest request{.filter = argumentText(recordFilter),
                                       .weight = argumentText(weight),
                                       .analysis = argumentText(list),
                                       .shift = shift,
                                       .statistic = ((statistic % 15) + 15) % 15};
        return summarizeByShiftedId(data, request, keysOut, valuesOut);
      },
      owner, showMessages != 0);
}

}  // extern "C"
