// Attaching a model to its data: the data set, the exclusion mask, the condition, the
// weights and the model's positions.
#include <cmath>

#include "common/project.h"
#include "data/record_bitmap.h"
#include "frame/trace.h"
#include "platform/column_memory.h"
#include "regression/member_label.h"
#include "regression/regression.h"

namespace tessary {

Regression::Regression() = default;
Regression::~Regression() = default;

RegressionData& Regression::data() {
  if (data_ == nullptr || !data_->isOpen()) raiseFailure("CDA not constructed");
  return *data_;
}

void Regression::load(const std::string& daaPath, const std::string& modelFile) {
  withLabel("Regression::load():\n", [&] {
    if (!daaPath.empty()) {
      ownData_.open(daaPath);
      data_ = &ownData_;
    }
    attachModel(modelFile);
  });
}

void Regression::load(RegressionData& source, const std::string& modelFile) {
  data_ = &source;
  withLabel("Regression::load():\n", [&] { attachModel(modelFile); });
}

void Regression::attachModel(const std::string& file) {
  const std::int64_t records = data().recordCount();
  if (records > INT32_MAX) raiseFailure("The data set has more records than a model can count.");
  if (!file.empty()) loading(file);
  modelFile = file;
  nRecs = static_cast<std::int32_t>(records);
}

std::int32_t Regression::init(std::uint8_t* maskBuffer, double* weightArray, bool save) {
  return withLabel("Regression::init():\n", [&] {
    trace() << "Regression::init " << '\n';
    if (maskBuffer == nullptr) raiseFailure("mBuffer missing");
    mBuffer = maskBuffer;
    gmask = std::span<std::uint8_t>(maskBuffer, bitmapBytes(static_cast<std::uint64_t>(nRecs)));
    weights = weightArray;
    if (!condition.empty()) {
      ColumnBuffer<double> scratch(static_cast<std::size_t>(nRecs));
      setCondition(std::span<double>(scratch.data(), scratch.size()));
    }
    const std::int32_t previous = nObs;
    nObs = static_cast<std::int32_t>(countPresent(mBuffer, static_cast<std::uint64_t>(nRecs)));
    trace() << "init: nObs= " << previous << " reset to " << nObs << '\n';
    if (!Weight.empty()) {
      if (weights == nullptr) raiseFailure("The weight variable " + Weight + " needs weights.");
      totalWeight = 0.0;
      for (std::int32_t i = 0; i < nObs; ++i)
        totalWeight += weights[i];
    } else {
      totalWeight = nObs;
    }
    trace() << "init     TTotal weight=" << totalWeight << " to save ? " << save << '\n';
    if (save && !saving(modelFile)) raiseFailure(saveFailure(modelFile));
    return nObs;
  });
}

void Regression::setCondition(std::span<double> scratch) {
  if (!data().evaluateCondition(condition, scratch)) return;
  const auto records = static_cast<std::uint64_t>(nRecs);
  trace() << "before setting condition  gmask has " << records - countPresent(mBuffer, records)
          << " holes in " << nRecs << " obse" << '\n';
  for (std::uint64_t record = 1; record <= records; ++record)
    if (scratch[record - 1] != 1.0) setHole(mBuffer, record);
  trace() << "after setting condition  gmask has " << records - countPresent(mBuffer, records)
          << " holes in " << nRecs << " obse" << '\n';
}

int Regression::selectModel() {
  const int n = numOfRgrs;
  rowOffset.assign(static_cast<std::size_t>(std::max(n, 0)) + 1, 0);
  for (int i = 0; i <= n; ++i)
    rowOffset[static_cast<std::size_t>(i)] = packedRowOffset(i, n);
  selected.assign(static_cast<std::size_t>(std::max(n, 0)), 0);
  int count = 0;
  if (n >= 1) {
    count = 1;
    for (int i = 1; i < n; ++i)
      if (regressors[static_cast<std::size_t>(i)].inModel()) selected[count++] = i;
    regressors[0].flags = kInModel | kFixed;
  }
  nModel = static_cast<std::int16_t>(status < 0 ? 0 : count);
  return count;
}

int Regression::modelCount() const {
  int count = numOfRgrs >= 1 ? 1 : 0;
  for (int i = 1; i < numOfRgrs; ++i)
    count += regressors[static_cast<std::size_t>(i)].inModel() ? 1 : 0;
  return count;
}

std::size_t Regression::readValues(const std::string& variable, double* out) {
  return data().readIncluded(variable, mBuffer, out);
}

double Regression::S(int i, int j) const {
  if (i > j) std::swap(i, j);
  return sscp[packedRowOffset(i, numOfRgrs) + j];
}

std::string Regression::saveFailure(const std::string& file) const {
  return "Can't write the model file " + file + ".";
}

}  // namespace tessary
