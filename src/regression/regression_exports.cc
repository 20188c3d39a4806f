// The regression exports that need no variable selection. Each builds its objects,
// runs one operation through the boundary guard and flushes the trace.
//
// Where the caption table leaves a failure uncaught, it is caught here all the same:
// OLSRegression shows "Unexpected error occured" and returns -2, simpleOLS returns -1
// without a box for any failure.
#include <cmath>
#include <span>

#include "data/record_bitmap.h"
#include "frame/boundary.h"
#include "frame/error_table.h"
#include "frame/trace.h"
#include "platform/error_state.h"
#include "platform/file.h"
#include "platform/text.h"
#include "regression/export_call.h"
#include "regression/regression.h"
#include "tessary.h"

namespace tessary {
namespace {

const BoundaryPolicy kMakeSscpPolicy = {
    .caption = "makeSSCP", .otherText = "Unexpected error occured.", .otherResult = -1};
const BoundaryPolicy kOlsPolicy = {
    .caption = "OLS regression", .otherText = "Unexpected error occured", .otherResult = -2};
const BoundaryPolicy kResidualPolicy = {.caption = "Error in retrieving the residual",
                                        .otherText = "Unexpected error occured",
                                        .otherResult = -1};
const BoundaryPolicy kRegressorsPolicy = {
    .caption = "getRegressors", .textResult = -1, .otherText = nullptr, .otherResult = -2};
const BoundaryPolicy kBuildModelPolicy = {.caption = "Build model from CDA",
                                          .otherText = "Unexpected error occured",
                                          .otherCaption = "building model from CDA",
                                          .otherResult = -1};
const BoundaryPolicy kSimpleOlsPolicy = {
    .caption = "", .textResult = -1, .showText = false, .otherResult = -1};
const BoundaryPolicy kFileSectionPolicy = {.caption = "msgbox", .textResult = 0, .otherResult = 0};

// The body of the one-argument error box: "Unexpected error", a line feed, the text.
[[noreturn]] void raiseBoxed(const std::string& message) {
  raiseFailure(std::string(errorCodeText(0)) + "\n" + message);
}

std::int32_t readSection(const char* fileName, std::int32_t from, std::int32_t to, void* buffer) {
  const std::string name = text(fileName);
  File file;
  if (fileName == nullptr || !file.open(name, File::Mode::kOpenOrCreate))
    raiseBoxed("Can't open file " + name + " to read.\n");
  if (to < from) return 0;
  const auto count = static_cast<std::size_t>(static_cast<std::int64_t>(to) - from + 1);
  clearSystemError();
  const std::size_t got = from < 0 || buffer == nullptr
                              ? 0
                              : file.readAt(static_cast<std::uint64_t>(from), buffer, count);
  if (from < 0 || buffer == nullptr || (got < count && lastSystemError() != 0))
    raiseBoxed(
        formatText("Error in reading file %s from position %d to %d", name.c_str(), from, to));
  return static_cast<std::int32_t>(got);
}

}  // namespace
}  // namespace tessary

using tessary::Regression;
using tessary::runExport;

extern "C" {

TESSARY_EXPORT int32_t makeSSCP(const char* cdaPath, const char* modelFile, unsigned char* mBuffer,
                                double* weights, double* sscpOut) {
  return runExport<int32_t>(tessary::kMakeSscpPolicy, [&]() -> int32_t {
    Regression model;
    model.load(tessary::text(cdaPath), tessary::text(modelFile));
    model.init(mBuffer, weights, true);
    if (sscpOut == nullptr || !model.buildSSCP(sscpOut)) tessary::raiseFailure("Can't make SSCP");
    return model.nObs;
  });
}

TESSARY_EXPORT int16_t OLSRegression(const char* modelFile, double* sscp, const char* reportFile) {
  if (!tessary::hasObservations(sscp)) return -1;
  return runExport<int16_t>(tessary::kOlsPolicy, [&]() -> int16_t {
    Regression model;
    const int16_t result = model.OLS(tessary::text(modelFile), sscp, tessary::text(reportFile));
    tessary::trace() << model.nModel << " nModel in OLSRegression" << '\n';
    return result;
  });
}

TESSARY_EXPORT int32_t buildModelFromCombinedDataset(const char* projectFile, const char* modelFile,
                                                     const char* LHS, int32_t yhatLevel) {
  return runExport<int32_t>(tessary::kBuildModelPolicy, [&] {
    Regression model;
    return model.updateModel(tessary::text(projectFile), tessary::text(modelFile),
                             tessary::text(LHS), yhatLevel, 0);
  });
}

TESSARY_EXPORT int32_t getRegressors(const char* cdaPath, const char* modelFile,
                                     unsigned char* mBuffer, double* weights, double* xOut,
                                     int32_t mode) {
  return runExport<int32_t>(tessary::kRegressorsPolicy, [&]() -> int32_t {
    Regression model;
    model.load(tessary::text(cdaPath), tessary::text(modelFile));
    model.init(mBuffer, weights, true);
    if (xOut == nullptr || model.getX(xOut, mode) < 1) tessary::raiseFailure("Can't get X");
    return model.nObs;
  });
}

TESSARY_EXPORT int16_t getResidual(const char* cdaPath, const char* modelFile,
                                   unsigned char* mBuffer, double* weights, double* yOut,
                                   double* yhatOut, double* residOut) {
  return runExport<int16_t>(tessary::kResidualPolicy, [&]() -> int16_t {
    if (yOut == nullptr || yhatOut == nullptr || residOut == nullptr)
      tessary::raiseFailure("getResidual: an output array is missing.");
    Regression model;
    model.load(tessary::text(cdaPath), tessary::text(modelFile));
    model.init(mBuffer, weights, true);
    const int result = model.getPrediction(yhatOut, yOut, residOut, true, false);
    model.readValues(model.LHS, yOut);
    for (int32_t i = 0; i < model.nObs; ++i)
      residOut[i] = yOut[i] - yhatOut[i];
    return static_cast<int16_t>(result);
  });
}

TESSARY_EXPORT int32_t getCleanVector(const double* values, const unsigned char* mBuffer,
                                      int32_t nRecs, double* out) {
  return runExport<int32_t>(tessary::kResidualPolicy, [&] {
    if (values == nullptr || mBuffer == nullptr || out == nullptr)
      tessary::raiseFailure("getCleanVector: the values, the mask or the output is missing.");
    int32_t copied = 0;
    for (int32_t record = 1; record <= nRecs; ++record)
      if (!tessary::isHole(mBuffer, static_cast<std::uint64_t>(record)))
        out[copied++] = values[record - 1];
    return copied;
  });
}

TESSARY_EXPORT int32_t readFileSection(const char* fileName, int32_t from, int32_t to,
                                       void* buffer) {
  return runExport<int32_t>(tessary::kFileSectionPolicy,
                            [&] { return tessary::readSection(fileName, from, to, buffer); });
}

}  // extern "C"

TESSARY_EXPORT int16_t simpleOLS(char* cdaPath, char* modelFile, unsigned char* mBuffer,
                                 double* weights) {
  return runExport<int16_t>(tessary::kSimpleOlsPolicy, [&]() -> int16_t {
    Regression model;
    model.load(tessary::text(cdaPath), tessary::text(modelFile));
    model.init(mBuffer, weights, true);
    return static_cast<int16_t>(model.simpleOLS());
  });
}
