#include "support/output_file.h"

#include "frame/failure.h"
#include "platform/file.h"
#include "platform/text.h"

namespace tessary::cli {
namespace {

bool isStandardOutput(const std::string& path) {
  return path == "-";
}

}  // namespace

void writeOutputFile(const std::string& path, const std::string& content) {
  const bool written = isStandardOutput(path) ? std::fwrite(content.data(), 1, content.size(),
                                                            stdout) == content.size() &&
                                                    std::fflush(stdout) == 0
                                              : writeWholeFile(path, content);
  if (!written)
    raiseFailure(formatText("%s: can't write the file (%s)", path.c_str(),
                            systemErrorText(lastSystemError()).c_str()));
}

std::FILE* reportStream(const std::string& outputPath) {
  return isStandardOutput(outputPath) ? stderr : stdout;
}

}  // namespace tessary::cli
