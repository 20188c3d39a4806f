// Variable selection from the packed SSCP: forward selection, stepwise selection
// (forward with removal) and backward elimination. Every accepted step appends its
// report; the chosen regressors are the records left with flags bit 0 set, and the
// final model is refitted and written back into the model file.
//
// A record with the fixed bit is never a candidate for entry nor for removal, so it
// stays in (flags 3) or out (flags 2) whatever the data say.
//
// Readings taken where the rules leave a choice:
//  - backward elimination from an intercept-only file starts from every record that is
//    not fixed out (flags 2 stays out of the fit as well as out of the model);
//  - when a forward step finds no candidate, the model keeps the m regressors it had
//    (also when no trial could even be set up in that step);
//  - the final refit decides `status`: 0 when it succeeds, -1 when it fails, whatever
//    happened to the fits along the way (backward elimination tries singular models on
//    purpose);
//  - a file that cannot be read, or holds no regressor, fails like an invalid model.
#include <optional>

#include "frame/failure.h"
#include "frame/number_format.h"
#include "regression/regression.h"

namespace tessary {
namespace {

constexpr const char* kInvalidModel = "Regression::ForwardEstimate:Invalid model";

// The selection procedures end every failure in -1, showing nothing.
template <class Work>
std::int16_t minusOneOnFailure(Work&& work) {
  try {
    return work();
  } catch (...) {
    return -1;
  }
}

// Forward and stepwise selection: the model file, then the shared engine.
std::int16_t enterForward(Regression& model, const std::string& file, double* packed,
                          const std::string& report, bool oneStep) {
  return minusOneOnFailure([&] {
    model.prepare(file, packed, report);
    return model.ForwardEstimate(file, packed, oneStep);
  });
}

}  // namespace

std::int16_t Regression::forward(const std::string& file, double* packed, const std::string& report,
                                 bool oneStep) {
  allowRemoval = false;
  return enterForward(*this, file, packed, report, oneStep);
}

std::int16_t Regression::stepwise(const std::string& file, double* packed,
                                  const std::string& report, bool oneStep) {
  allowRemoval = true;
  return enterForward(*this, file, packed, report, oneStep);
}

// Tries every candidate (flags 0, not dropped in the step before) in position m and
// keeps the one whose partial F is largest and strictly above entryF; on equal F the
// lower record index wins.
Regression::Trial Regression::bestCandidate(int m, double entryF, int lastDropped) {
  Trial best{0, entryF, 0.0};
  if (m >= numOfRgrs) return best;  // every record is in the model already
  bool setUp = true;
  for (int j = 1; j < numOfRgrs; ++j) {
    if (regressors[static_cast<std::size_t>(j)].flags != 0 || j == lastDropped) continue;
    selected[m] = j;
    if (setUp) {
      if (!factorTrial(m + 1)) continue;  // the next candidate sets up again
      setUp = false;
    }
    if (estimateWith(nModel) && lastF > best.f) best = {j, lastF, SSR};
  }
  return best;
}

void Regression::admit(int record, int m) {
  Regressor& entering = regressors[static_cast<std::size_t>(record)];
  selected[m] = record;
  if ((entering.flags & kFixed) == 0) entering.flags |= kInModel;
  initialModelSize = m + 1;
  estimate(m + 1);
}

// Stepwise: after `added` entered, the weakest removable regressor leaves when its F is
// below stayF. Returns the record removed, or 0.
int Regression::dropWeakestAfter(int added, double stayF) {
  const int removed = removeWeakest(stayF);
  if (removed == 0) return 0;
  if (removed != added) {
    estimate(nModel);
    printReport("Variable " + regressors[static_cast<std::size_t>(removed)].name + " dropped",
                true);
  }
  initialModelSize -= 1;
  return removed;
}

std::int16_t Regression::ForwardEstimate(const std::string& file, double* packed, bool oneStep) {
  return minusOneOnFailure([&]() -> std::int16_t {
    sscp = packed;
    estimationCount = 0;
    int lastDropped = 0;
    std::optional<double> previousSSR;
    for (int step = 1; step < numOfRgrs; ++step) {
      const int m = initialModelSize;
      const double entryF = criticalF(m, slEntry);
      const double stayF = criticalF(m, slStay);
      const Trial best = bestCandidate(m, entryF, lastDropped);
      if (best.record == 0) {
        if (estimationCount < 1) raiseFailure(kInvalidModel);
        if (m < numOfRgrs) selected[m] = 0;  // a full model has no slot after its last
        nModel = static_cast<std::int16_t>(m);
        break;
      }
      admit(best.record, m);
      int removed = 0;
      if (allowRemoval) {
        removed = lastDropped = dropWeakestAfter(best.record, stayF);
        if (previousSSR && best.ssr <= *previousSSR) break;  // no progress: stop cycling
        previousSSR = best.ssr;
      }
      if (removed != best.record) {
        printReport("Variable " + regressors[static_cast<std::size_t>(best.record)].name + " added",
                    true);
        if (oneStep) break;
      }
    }
    if (estimationCount < 1) raiseFailure(kInvalidModel);
    nModel = static_cast<std::int16_t>(initialModelSize);
    status = 0;
    saveResult(file, true);
    printReport("No other regressor met the " + formatFixed(slEntry, 2, 6) +
                    " significance level for entry into the model.",
                false);
    return 0;
  });
}

// From an intercept-only file: every record that is not fixed out enters in turn, and
// leaves again when the model with it cannot be fitted.
void Regression::addCandidatesForBackward() {
  int m = 1;
  for (int i = 1; i < numOfRgrs; ++i) {
    Regressor& record = regressors[static_cast<std::size_t>(i)];
    if ((record.flags & kFixed) != 0) continue;
    selected[m] = i;
    record.flags |= kInModel;
    if (estimate(m + 1)) {
      m += 1;
    } else {
      selected[m] = 0;
      record.flags &= static_cast<std::uint8_t>(~kInModel);
    }
  }
  initialModelSize = m;
}

std::int16_t Regression::backward(const std::string& file, double* packed,
                                  const std::string& report, bool oneStep) {
  return minusOneOnFailure([&]() -> std::int16_t {
    prepare(file, packed, report);
    if (numOfRgrs < 1) raiseFailure("Regression::backward:Invalid model");
    std::string title = "Initial Model for Backward Regression";
    if (initialModelSize < 2) addCandidatesForBackward();
    int m = initialModelSize;
    while (m >= 2) {
      const double stayF = criticalF(m, slStay);
      estimate(m);
      printReport(title, true);
      const int removed = removeWeakest(stayF);
      if (removed == 0) break;
      title = "Variable " + regressors[static_cast<std::size_t>(removed)].name + " removed";
      m -= 1;
      if (oneStep) break;
    }
    nModel = static_cast<std::int16_t>(m);
    status = 0;
    saveResult(file, true);
    printReport("Final model from backward selection", false);
    return 0;
  });
}

}  // namespace tessary
