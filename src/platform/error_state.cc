#include "platform/error_state.h"

#include <cerrno>

namespace tessary {

void clearSystemError() {
  errno = 0;
}

bool isMissingFileError(int code) {
  return code == ENOENT || code == ENOTDIR;
}

bool isAccessDeniedError(int code) {
  return code == EACCES || code == EPERM;
}

}  // namespace tessary
