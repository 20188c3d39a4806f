// The tabulation exports: CrossTabulate and summaryByShiftedID.
#include <memory>
#include <string>

#include "data/cda.h"
#include "data/data_array.h"
#include "frame/boundary.h"
#include "tab/tab_sources.h"
#include "tab/xtab.h"
#include "tessary.h"

namespace tessary {
namespace {

constexpr const char* kLogPlace = " XTbl in Tessary.dll";

constexpr BoundaryPolicy kCrossTabulatePolicy{.caption = "CrossTabulate...",
                                              .textStyle = 0x30,
                                              .textResult = -2,
                                              .otherText = "ErrorCode: %i",
                                              .otherResult = -1,
                                              .logPlace = kLogPlace};
constexpr BoundaryPolicy kSummaryPolicy{.caption = "Summary...",
                                        .textStyle = 0x30,
                                        .textResult = -2,
                                        .otherText = "ErrorCode: %i",
                                        .otherResult = -1,
                                        .logPlace = kLogPlace};

std::string text(const char* s) {
  return s != nullptr ? s : "";
}

// The data set a tabulation reads: a combined data array at cursor sourceCode (0, 1,
// 2) or, for codes of 3 and more, a data array.
class BoundDataSet {
 public:
  BoundDataSet(const std::string& path, std::int32_t sourceCode) {
    if (sourceCode >= 3) {
      bool loaded = false;
      try {
        data_.open(path);  // read-only is enough here
        loaded = data_.loadHeader();
      } catch (const Failure&) {
      }
      if (!loaded) raiseFailure("Loading DA:" + path + " failed.");
      source_ = std::make_unique<DataArrayTabSource>(data_);
      return;
    }
    if (sourceCode < 0) raiseFailure("Invalid cursor.\n");
    try {
      cda_ = std::make_unique<CDA>(path);
      cda_->load();
    } catch (const Failure&) {
      raiseFailure("Loading CDA:" + path + " failed.");
    }
    cda_->cursor = sourceCode;
    source_ = std::make_unique<CdaTabSource>(*cda_);
  }
  TabSource& source() { return *source_; }

 private:
  DataArray data_;
  std::unique_ptr<CDA> cda_;
  std::unique_ptr<TabSource> source_;
};

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
      kCrossTabulatePolicy,
      [&] {
        BoundDataSet data(text(dataPath), sourceCode);
        XTab xtab(data.source());
        xtab.setup(mode, text(recordFilter), text(weight), text(list), text(rowFormula),
                   text(colFormula), options);
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
      kSummaryPolicy,
      [&] {
        BoundDataSet data(text(dataPath), sourceCode);
        std::uint8_t options[TabOptions::kBytes] = {};
        options[((statistic % 15) + 15) % 15] = 1;
        XTab xtab(data.source());
        xtab.setup(4, text(recordFilter), text(weight), text(list), kIdentifierFormula,
                   std::to_string(shift), options);
        xtab.setSummaryOutput(keysOut, valuesOut);
        return xtab.generate();
      },
      owner, showMessages != 0);
}

}  // extern "C"
