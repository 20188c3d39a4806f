// Any bytes read as a model file either load or end in a message labelled
// "Regression::loading:"; never a crash or a read past the file. A model that loads
// saves to bytes that load and save to the very same bytes, and goes through forward,
// stepwise and backward selection from the SSCP of a fixed design sized to it, each
// ending in 0 or -1 and, after 0, leaving a file whose fitted model is what it marks.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "frame/failure.h"
#include "frame/trace.h"
#include "fuzz_scratch.h"
#include "platform/file.h"
#include "regression/regression.h"

namespace {

using tessary::fuzzing::require;

const std::string& workDirectory() {
  static const std::string& directory = []() -> const std::string& {
    tessary::setTraceStream(nullptr);
    return tessary::fuzzing::scratchDirectory("model_file");
  }();
  return directory;
}

std::string saved(tessary::Regression& model, const std::string& path) {
  require(model.saving(path));
  std::string content;
  require(tessary::readWholeFile(path, content));
  return content;
}

// The packed SSCP of 60 fixed rows: the intercept, n - 1 columns that are neither
// independent nor collinear, and a dependent column built from some of them.
std::vector<double> fixedSscp(int n) {
  std::vector<double> packed(tessary::packedSize(n), 0.0), row(n + 1);
  for (int t = 0; t < 60; ++t) {
    row[0] = 1.0;
    row[n] = std::cos(0.7 * t);
    for (int c = 1; c < n; ++c) {
      row[c] = std::sin(1.3 * t * c + c) + (c % 4 == 0 ? row[c - 1] : 0.0);
      row[n] += (c % 3) * 0.2 * row[c];
    }
    for (int i = 0, k = 0; i <= n; ++i)
      for (int j = i; j <= n; ++j)
        packed[k++] += row[i] * row[j];
  }
  return packed;
}

void select(const std::string& image, int regressors, bool oneStep) {
  if (regressors < 1 || regressors > 40) return;  // keeps each run short
  std::vector<double> sscp = fixedSscp(regressors);
  const std::string path = workDirectory() + "selected.mdl";
  for (auto procedure : {&tessary::Regression::forward, &tessary::Regression::stepwise,
                         &tessary::Regression::backward}) {
    require(tessary::writeWholeFile(path, image, tessary::Durability::kScratch));
    tessary::Regression model;
    const int result = (model.*procedure)(path, sscp.data(), "", oneStep);
    require(result == 0 || result == -1);
    if (result != 0 || model.status != 0) continue;
    // The final fit covers exactly the records the file marks.
    tessary::Regression chosen;
    require(chosen.loading(path) && chosen.initialModelSize == model.nModel);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string& directory = workDirectory();
  const std::string input = directory + "input.mdl";
  require(tessary::writeWholeFile(input, std::string(reinterpret_cast<const char*>(bytes), size),
                                  tessary::Durability::kScratch));
  tessary::Regression model;
  try {
    require(model.loading(input));
  } catch (const tessary::Failure& failure) {
    require(failure.text().rfind("Regression::loading:\n", 0) == 0);
    return 0;
  }
  require(static_cast<std::size_t>(model.numOfRgrs) == model.regressors.size());
  const std::string first = saved(model, directory + "first.mdl");
  tessary::Regression again;
  require(again.loading(directory + "first.mdl"));
  require(saved(again, directory + "second.mdl") == first);
  select(first, model.numOfRgrs, size % 2 == 1);
  return 0;
}
