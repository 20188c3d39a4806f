// Any bytes read as model.json either load or end in one message naming a file of the
// working directory; never a crash. A model that loads writes JSON that loads and
// writes back to the very same text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "frame/failure.h"
#include "fuzz_scratch.h"
#include "platform/file.h"
#include "support/fitted_model.h"

using tessary::fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string& directory = tessary::fuzzing::scratchDirectory("fitted_model");
  const std::string input = directory + "model.json";
  require(tessary::writeWholeFile(input, std::string(reinterpret_cast<const char*>(bytes), size),
                                  tessary::Durability::kScratch));
  tessary::cli::FittedModel model;
  try {
    model = tessary::cli::readFittedModel(input);
  } catch (const tessary::Failure& failure) {
    require(failure.text().rfind(directory, 0) == 0);
    return 0;
  }
  const std::string first = tessary::cli::fittedModelJson(model);
  require(tessary::writeWholeFile(directory + "again.json", first, tessary::Durability::kScratch));
  require(tessary::cli::fittedModelJson(tessary::cli::readFittedModel(directory + "again.json")) ==
          first);
  return 0;
}
