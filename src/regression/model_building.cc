// Building the candidate list of a model from a project's selected variables, and
// refreshing it when the model file already exists.
//
// Readings taken where the rules leave a choice:
//  - the categories of a dummy's name are padded with zeros to the number of digits
//    of the first (smallest) code;
//  - when refreshing, new records go in after the intercept and the predicted-value
//    terms, in the list's order.
#include <algorithm>
#include <map>

#include "common/project.h"
#include "data/record_bitmap.h"
#include "frame/trace.h"
#include "platform/text.h"
#include "regression/member_label.h"
#include "regression/regression.h"

namespace tessary {
namespace {

Regressor makeRegressor(std::string name, std::string source, std::int32_t code, std::string label,
                        std::uint8_t flags = 0) {
  Regressor record;
  record.name = std::move(name);
  record.source = std::move(source);
  record.code = code;
  record.label = std::move(label);
  record.flags = flags;
  return record;
}

std::string paddedCode(std::int32_t code, int width) {
  return formatText("%0*d", width, code);
}

int decimalDigits(std::int32_t code) {
  return static_cast<int>(
      std::to_string(code < 0 ? -static_cast<std::int64_t>(code) : code).size());
}

bool isPredictedValueTerm(const Regressor& record) {
  return record.name == kYhatName || record.name == kYhatSquaredName;
}

}  // namespace

// The records of one variable: the numeric regressor or the dummies of a categorical,
// each followed by its interactions with the predicted value and its square.
std::vector<Regressor> Regression::candidateRecords(const VariableFacts& variable) {
  std::vector<Regressor> bases;
  const std::string& name = variable.name;
  if (variable.kind == 'C') {
    const std::vector<Category> categories = data().categories(name);
    const bool binary =
        categories.size() == 2 && categories[0].code == 0 && categories[1].code == 1;
    const int width = categories.empty() ? 1 : decimalDigits(categories[0].code);
    for (const Category& category : categories) {
      if (binary && category.code == 0) continue;
      const std::string suffix = binary ? "1" : paddedCode(category.code, width);
      bases.push_back(makeRegressor(name + "_" + suffix, name, category.code,
                                    "Dummy for (" + name + ")=" + category.label));
    }
  } else {
    bases.push_back(makeRegressor(name, name, 0, variable.label));
  }
  std::vector<Regressor> records;
  for (const Regressor& base : bases) {
    records.push_back(base);
    if (yhatLevel >= 1)
      records.push_back(
          makeRegressor(base.name + kYhatSuffix, base.source, base.code, base.label + kYhatSuffix));
    if (yhatLevel >= 2)
      records.push_back(makeRegressor(base.name + kYhatSquaredSuffix, base.source, base.code,
                                      base.label + kYhatSquaredSuffix));
  }
  return records;
}

void Regression::attachProject(const std::string& projectFile, unsigned levelMask) {
  project_ = std::make_unique<CProject>();
  project_->_init(projectFile);
  project_->loadSurveyCDA();
  project_->setSelectedVars(levelMask);
  ownData_.attach(project_->survey());
  data_ = &ownData_;
}

std::vector<VariableFacts> Regression::selectedCandidates(unsigned levelMask) {
  const std::string clusterId = data().clusterIdName();
  std::map<std::string, VariableFacts> byName;  // byte order; the finest level first
  for (VariableFacts& facts : data().variables()) {
    if (!facts.selected || facts.kind == 'E' || !facts.stored) continue;
    if (((levelMask >> facts.level) & 1u) != 0 || facts.name == clusterId) continue;
    byName.emplace(facts.name, std::move(facts));
  }
  std::vector<VariableFacts> candidates;
  for (auto& [name, facts] : byName)
    candidates.push_back(std::move(facts));
  return candidates;
}

void Regression::sumWeights(std::span<const std::uint8_t> mask) {
  Weight = data().weightName();
  if (Weight.empty()) raiseFailure("There is no weight variable specified.");
  ColumnBuffer<double> values(static_cast<std::size_t>(std::max(nRecs, 1)));
  data().readIncluded(Weight, nullptr, values.data());
  totalWeight = 0.0;
  for (std::int32_t record = 1; record <= nRecs; ++record) {
    const bool included = !isHole(mask.data(), static_cast<std::uint64_t>(record));
    if (included) totalWeight += values[record - 1];
    trace() << "build model  " << record << " " << included << "  " << totalWeight << "  "
            << values[record - 1] << '\n';
  }
  trace() << "buildModel TTotal weight=" << totalWeight << '\n';
}

std::int32_t Regression::buildModel(const std::string& projectFile, const std::string& file,
                                    const std::string& lhs, int level, unsigned levelMask) {
  attachProject(projectFile, levelMask);
  regressors.clear();
  yhatLevel = static_cast<std::uint8_t>(level);
  nRecs = static_cast<std::int32_t>(data().recordCount());
  regressors.push_back(makeRegressor(kInterceptName, "", 0, "Intercept", kInModel | kFixed));
  if (yhatLevel >= 1) regressors.push_back(makeRegressor(kYhatName, kYhatName, 0, kYhatName));
  if (yhatLevel >= 2)
    regressors.push_back(makeRegressor(kYhatSquaredName, kYhatName, 0, kYhatSquaredName));
  const std::vector<VariableFacts> candidates = selectedCandidates(levelMask);

  std::vector<std::uint8_t> mask(data().maskBytes(), 0);
  data().globalMask(mask);
  mBuffer = mask.data();
  gmask = mask;
  if (!condition.empty()) {
    ColumnBuffer<double> scratch(static_cast<std::size_t>(nRecs));
    setCondition(std::span<double>(scratch.data(), scratch.size()));
  }
  nObs = static_cast<std::int32_t>(countPresent(mask.data(), static_cast<std::uint64_t>(nRecs)));
  trace() << "buildModel nObs=" << nObs << '\n';
  sumWeights(mask);
  mBuffer = nullptr;
  gmask = {};

  const std::string dependent = upperCase(lhs);
  for (const VariableFacts& variable : candidates)
    if (variable.name != dependent)
      for (Regressor& record : candidateRecords(variable))
        regressors.push_back(std::move(record));
  countRegressors();
  nModel = 0;
  status = 0;
  F = SST = SSR = SSE = MSE = R2 = adjR2 = 0.0;
  slEntry = slStay = 0.05;
  LHS = lhs;
  dump();
  if (!saving(file)) raiseFailure(saveFailure(file));
  return nRecs;
}

std::int32_t Regression::updateModel(const std::string& projectFile, const std::string& file,
                                     const std::string& lhs, int level, unsigned levelMask) {
  try {
    if (!loading(file)) return buildModel(projectFile, file, lhs, level, levelMask);
    trace() << "rgr loaded" << '\n';
    yhatLevel = static_cast<std::uint8_t>(level);
    attachProject(projectFile, levelMask);
    addNewVariables(levelMask);
    trace() << "after handling new variable" << '\n';
    dump();
    removeDeselected();
    if (!saving(file)) raiseFailure(saveFailure(file));
    return nRecs;
  } catch (const Failure& failure) {
    raiseFailure("Regression::updateModel():\n" + failure.text());
  } catch (...) {
    trace() << "don't know where it come from" << '\n';
    raiseFailure(
        formatText("Regression::updateModel():\nUnknown exception caught.\n(GetLastError()=%i)",
                   lastSystemError()));
  }
}

std::size_t Regression::firstCandidatePosition() const {
  std::size_t position = regressors.empty() ? 0 : 1;
  while (position < regressors.size() && isPredictedValueTerm(regressors[position]))
    ++position;
  return position;
}

void Regression::addNewVariables(unsigned levelMask) {
  std::vector<Regressor> added;
  for (const std::string& name : project_->selectedVariables) {
    // New unless a record bears exactly this name: a categorical variable's records are
    // its dummies, so a refresh adds its dummies again.
    const bool present = std::any_of(regressors.begin(), regressors.end(),
                                     [&](const Regressor& r) { return r.name == name; });
    if (present) continue;
    const std::optional<VariableFacts> facts = data().find(upperCase(name));
    if (!facts || !facts->stored || ((levelMask >> facts->level) & 1u) != 0) continue;
    if (facts->minValue == facts->maxValue) continue;
    for (Regressor& record : candidateRecords(*facts))
      added.push_back(std::move(record));
  }
  const auto at = regressors.begin() + static_cast<std::ptrdiff_t>(firstCandidatePosition());
  regressors.insert(at, added.begin(), added.end());
  countRegressors();
}

void Regression::removeDeselected() {
  const std::size_t first = firstCandidatePosition();
  std::vector<Regressor> kept(regressors.begin(),
                              regressors.begin() + static_cast<std::ptrdiff_t>(first));
  for (std::size_t i = first; i < regressors.size(); ++i) {
    const std::optional<VariableFacts> facts = data().find(upperCase(regressors[i].source));
    if (facts && facts->selected) kept.push_back(std::move(regressors[i]));
  }
  regressors = std::move(kept);
  countRegressors();
}

void Regression::countRegressors() {
  if (regressors.size() > 32767) raiseFailure("A model holds at most 32767 regressors.");
  numOfRgrs = static_cast<std::int16_t>(regressors.size());
}

}  // namespace tessary
