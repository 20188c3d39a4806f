#include "support/json_file.h"

#include "frame/failure.h"
#include "platform/file.h"
#include "platform/text.h"

namespace tessary::cli {

nlohmann::json readJsonFile(const std::string& path) {
  std::string content;
  if (!readWholeFile(path, content))
    raiseFailure(formatText("%s: can't read the file (%s)", path.c_str(),
                            systemErrorText(lastSystemError()).c_str()));
  try {
    return nlohmann::json::parse(content);
  } catch (const nlohmann::json::parse_error& error) {
    raiseFailure(formatText("%s: not valid JSON (at byte %zu)", path.c_str(), error.byte));
  }
}

}  // namespace tessary::cli
