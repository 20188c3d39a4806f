// The model file: little-endian, no padding.
//
//   tag "101" 0xA5 (optional: absent when the 4th byte is not 0xA5)
//   nRecs i32, nObs i32, yhatLevel u8, numOfRgrs i16, status i16, nModel i16,
//   F, SST, SSR, MSE, R2, adjR2, totalWeight, slEntry, slStay (f64 each),
//   Weight, condition, LHS (counted strings),
//   numOfRgrs records: name, source (strings), code i32, flags u8, label (string),
//                      coef, stdErr, prob (f64),
//   trailer i32, end marker ".END.   " (a counted string, not read back).
//
// A file is saved whole through a temporary file and a rename, so a failed save
// leaves the previous file as it was.
#include <cstring>

#include "data/little_endian.h"
#include "frame/counted_string.h"
#include "frame/failure.h"
#include "frame/trace.h"
#include "platform/file.h"
#include "platform/text.h"
#include "regression/regression.h"

namespace tessary {
namespace {

constexpr const char* kEndMarker = ".END.   ";
// The fewest bytes a regressor record takes: three empty strings and its numbers.
constexpr std::int64_t kSmallestRecord = 3 * 2 + 4 + 1 + 3 * 8;

class FieldReader {
 public:
  explicit FieldReader(File& file) : file_(file) {}
  template <class T>
  T next() {
    char bytes[sizeof(T)];
    if (file_.read(bytes, sizeof bytes) != sizeof bytes)
      raiseFailure("Regression::loading: Reading error");
    return loadLittle<T>(bytes);
  }
  std::string text() { return readCountedString(file_); }
  std::int64_t remaining() const {
    return file_.size() - static_cast<std::int64_t>(file_.position());
  }

 private:
  File& file_;
};

Regressor readRegressor(FieldReader& in) {
  Regressor record;
  record.name = in.text();
  record.source = in.text();
  record.code = in.next<std::int32_t>();
  record.flags = in.next<std::uint8_t>();
  record.label = in.text();
  record.coef = in.next<double>();
  record.stdErr = in.next<double>();
  record.prob = in.next<double>();
  return record;
}

void appendRegressor(std::string& out, const Regressor& record) {
  appendCountedString(out, record.name);
  appendCountedString(out, record.source);
  appendLittle(out, record.code);
  appendLittle(out, record.flags);
  appendCountedString(out, record.label);
  appendLittle(out, record.coef);
  appendLittle(out, record.stdErr);
  appendLittle(out, record.prob);
}

}  // namespace

bool Regression::loading(const std::string& path) {
  nRecs = 0;
  numOfRgrs = 0;
  File file;
  if (!file.open(path, File::Mode::kRead)) return false;
  try {
    FieldReader in(file);
    for (char& byte : tag)
      byte = in.next<char>();
    if (tag[3] != kModelTag[3]) {
      tag[3] = 0;
      file.seek(0);
    }
    nRecs = in.next<std::int32_t>();
    nObs = in.next<std::int32_t>();
    yhatLevel = in.next<std::uint8_t>();
    numOfRgrs = in.next<std::int16_t>();
    status = in.next<std::int16_t>();
    nModel = in.next<std::int16_t>();
    for (double* field : {&F, &SST, &SSR, &MSE, &R2, &adjR2, &totalWeight, &slEntry, &slStay})
      *field = in.next<double>();
    Weight = in.text();
    condition = in.text();
    LHS = in.text();
    if (numOfRgrs < 0) raiseFailure(formatText("The regressor count %d is negative.", numOfRgrs));
    if (numOfRgrs * kSmallestRecord > in.remaining())
      raiseFailure(formatText("The file is too short for its %d regressors.", numOfRgrs));
    regressors.resize(static_cast<std::size_t>(numOfRgrs));
    for (Regressor& record : regressors)
      record = readRegressor(in);
    trailer = in.next<std::int32_t>();
  } catch (const Failure& failure) {
    numOfRgrs = 0;
    regressors.clear();
    raiseFailure("Regression::loading:\n" + failure.text());
  }
  initialModelSize = selectModel();
  modelFile = path;
  return true;
}

bool Regression::saving(const std::string& path) {
  std::string image;
  if (tag[3] == kModelTag[3]) image.append(tag, sizeof tag);
  appendLittle(image, nRecs);
  appendLittle(image, nObs);
  appendLittle(image, yhatLevel);
  appendLittle(image, static_cast<std::int16_t>(regressors.size()));
  appendLittle(image, status);
  appendLittle(image, nModel);
  for (double field : {F, SST, SSR, MSE, R2, adjR2, totalWeight, slEntry, slStay})
    appendLittle(image, field);
  appendCountedString(image, Weight);
  appendCountedString(image, condition);
  appendCountedString(image, LHS);
  for (const Regressor& record : regressors)
    appendRegressor(image, record);
  appendLittle(image, trailer);
  appendCountedString(image, kEndMarker);
  if (!writeWholeFile(path, image)) return false;
  dump();
  return true;
}

void Regression::dump() const {
  std::ostream& out = trace();
  out << "  nRecs=" << nRecs << "  nObs=" << nObs << " yhatLevel=" << int{yhatLevel} << '\n';
  out << " LHS=" << LHS << "  condition=" << condition << '\n';
  out << "  numOfRgrs=" << numOfRgrs << "   nModel=" << nModel << '\n';
  out << "  F=" << F << "  SST=" << SST << "  SSR=" << SSR << '\n';
  out << "  MSE=" << MSE << "  R2=" << R2 << "  adjR2=" << adjR2 << '\n';
  out << "  totalWeight=" << totalWeight << "  Weight=" << Weight << '\n';
  out << "  --------------------" << '\n';
  for (const Regressor& record : regressors) {
    if (!record.inModel()) continue;
    out << record.name << record.code << "  " << int{record.flags} << "  " << record.coef << "  "
        << record.stdErr << "  " << record.prob << record.label << '\n';
  }
}

}  // namespace tessary
