#include "data/readable_name.h"

#include "expr/expression_scanner.h"
#include "platform/text.h"

namespace tessary {

bool isReadableName(std::string_view name) {
  if (name.empty() || !isNameStart(upperCase(name.substr(0, 1))[0])) return false;
  for (char c : upperCase(name))
    if (!isNameContinuation(c)) return false;
  return true;
}

std::string readableName(std::string_view name) {
  std::string readable = upperCase(name);
  for (char& c : readable)
    if (!isNameContinuation(c)) c = '_';
  if (readable.empty() || !isNameStart(readable[0])) readable.insert(readable.begin(), '_');
  return readable;
}

}  // namespace tessary
