// The library's failure value: a text holding the whole message, thrown from where the
// failure is found and shown unchanged by the export that ends it.
#pragma once

#include <exception>
#include <string>

namespace tessary {

// A failure the operating system reported on a file also carries the file and the
// system's error code, for callers that explain it in the system's words; exports
// show the text alone.
class Failure : public std::exception {
 public:
  explicit Failure(std::string text, std::string path = {}, int systemError = 0)
      : text_(std::move(text)), path_(std::move(path)), systemError_(systemError) {}
  // A failure the exports report as an unexpected one: with their fixed text and their
  // second failure result, the text itself unseen.
  static Failure unexpected(std::string text) {
    Failure failure(std::move(text));
    failure.unexpected_ = true;
    return failure;
  }
  const std::string& text() const noexcept { return text_; }
  const char* what() const noexcept override { return text_.c_str(); }
  // The file the failed operation was on, "" when none was.
  const std::string& path() const noexcept { return path_; }
  // The operating-system error code behind the failure, 0 when none is.
  int systemError() const noexcept { return systemError_; }
  bool isUnexpected() const noexcept { return unexpected_; }

 private:
  std::string text_;
  std::string path_;
  int systemError_;
  bool unexpected_ = false;
};

// The one way to raise a message. Set a breakpoint here to catch every failure.
[[noreturn]] void raiseFailure(std::string text);
// The same for an operation on `path` that the system refused with `systemError`.
[[noreturn]] void raiseFileFailure(std::string text, std::string path, int systemError);

// The same for a failure the exports report as unexpected (see Failure::unexpected).
[[noreturn]] void raiseUnexpectedFailure(std::string text);

// Raises `message` when `condition` is false.
inline void throwUnless(bool condition, const char* message) {
  if (!condition) raiseFailure(message);
}
inline void throwUnless(bool condition, const std::string& message) {
  if (!condition) raiseFailure(message);
}

}  // namespace tessary
