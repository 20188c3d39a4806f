// Which data set a user's path names: a data array (.daH) or a combined data array
// (.daA). Without an extension the .daA is preferred when both exist.
#pragma once

#include <string>

namespace tessary {

struct DataSetPath {
  bool combined = false;
  std::string path;  // with its extension
};

// Raises "<arg>: no such data set (looked for .daA and .daH)" when neither exists. An
// interrupted replacement of a named data array is rolled back first.
DataSetPath resolveDataSet(const std::string& argument);

// Directory + base name of a data array: `path` without a data array extension (.daH,
// .daD, .msk, .daL; any case).
std::string dataArrayStem(const std::string& path);

}  // namespace tessary
