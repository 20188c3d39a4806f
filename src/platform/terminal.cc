#include "platform/terminal.h"

#include <unistd.h>

namespace tessary {

bool standardErrorIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

}  // namespace tessary
