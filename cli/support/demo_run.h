// `tessary demo`: writes the synthetic census and survey and runs what the library
// offers on them, returning the account of what it did.
#pragma once

#include <cstdint>
#include <string>

#include "import/csv_reader.h"

namespace tessary::cli {

struct DemoOptions {
  std::string directory;  // "" makes a new one under the temporary directory
  std::uint32_t households = 200000;
  std::uint64_t seed = 1;
};

std::string runDemo(const DemoOptions& options, const ProgressCallback& progress = {});

}  // namespace tessary::cli
