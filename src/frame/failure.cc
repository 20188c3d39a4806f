#include "frame/failure.h"

namespace tessary {

void raiseFailure(std::string text) {
  throw Failure(std::move(text));
}

}  // namespace tessary
