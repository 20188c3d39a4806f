#include "data/data_set_path.h"

#include "data/data_array_replacement.h"
#include "frame/failure.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace tessary {
namespace {

bool isDataArrayExtension(const std::string& extension) {
  const std::string upper = upperCase(extension);
  return upper == ".DAH" || upper == ".DAD" || upper == ".MSK" || upper == ".DAL";
}

}  // namespace

DataSetPath resolveDataSet(const std::string& argument) {
  const std::string base = baseNameOf(argument);
  const std::size_t dot = base.rfind('.');
  if (dot != std::string::npos) {
    const std::string extension = upperCase(base.substr(dot));
    const std::string stem = argument.substr(0, argument.size() - (base.size() - dot));
    DataSetPath named;
    if (extension == ".DAA") {
      named = {true, argument};
    } else if (isDataArrayExtension(extension)) {
      recoverDataArray(stem);
      named = {false, stem + ".daH"};
    }
    if (!named.path.empty()) {
      if (!fileExists(named.path)) raiseFailure(named.path + ": no such file");
      return named;
    }
  }
  if (fileExists(argument + ".daA")) return {true, argument + ".daA"};
  recoverDataArray(argument);
  if (fileExists(argument + ".daH")) return {false, argument + ".daH"};
  raiseFailure(argument + ": no such data set (looked for .daA and .daH)");
}

std::string dataArrayStem(const std::string& path) {
  const std::string base = baseNameOf(path);
  const std::size_t dot = base.rfind('.');
  if (dot == std::string::npos || !isDataArrayExtension(base.substr(dot))) return path;
  return path.substr(0, path.size() - (base.size() - dot));
}

}  // namespace tessary
