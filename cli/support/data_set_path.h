// Which data set a command-line argument names: a data array (.daH) or a combined
// data array (.daA). Without an extension the .daA is preferred when both exist.
#pragma once

#include <string>

namespace tessary::cli {

struct DataSetPath {
  bool combined = false;
  std::string path;  // with its extension
};

// Raises "<arg>: no such data set (looked for .daA and .daH)" when neither exists. An
// interrupted replacement of a named data array is rolled back first.
DataSetPath resolveDataSet(const std::string& argument);

}  // namespace tessary::cli
