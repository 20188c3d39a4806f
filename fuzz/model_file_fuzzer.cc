// Any bytes read as a model file either load or end in a message labelled
// "Regression::loading:"; never a crash or a read past the file. A model that loads
// saves to bytes that load and save to the very same bytes.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "frame/failure.h"
#include "frame/trace.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "regression/regression.h"
#include "fuzz_scratch.h"

namespace {

using tessary::fuzzing::require;

const std::string& workDirectory() {
  static const std::string directory = [] {
    std::string path =
        tessary::temporaryDirectory() + "tessary_model_fuzz_" + std::to_string(::getpid()) + "/";
    std::filesystem::create_directories(path);
    tessary::setTraceStream(nullptr);
    return path;
  }();
  return directory;
}

std::string saved(tessary::Regression& model, const std::string& path) {
  require(model.saving(path));
  std::string content;
  require(tessary::readWholeFile(path, content));
  return content;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string& directory = workDirectory();
  const std::string input = directory + "input.mdl";
  require(tessary::writeWholeFile(input, std::string(reinterpret_cast<const char*>(bytes), size)));
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
  return 0;
}
