#include "frame/failure.h"

namespace tessary {

void raiseFailure(std::string text) {
  throw Failure(std::move(text));
}

void raiseUnexpectedFailure(std::string text) {
  throw Failure::unexpected(std::move(text));
}

void raiseFileFailure(std::string text, std::string path, int systemError) {
  throw Failure(std::move(text), std::move(path), systemError);
}

}  // namespace tessary
