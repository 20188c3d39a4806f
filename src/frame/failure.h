// The library's failure value: a text holding the whole message, thrown from where the
// failure is found and shown unchanged by the export that ends it.
#pragma once

#include <exception>
#include <string>

namespace tessary {

class Failure : public std::exception {
 public:
  explicit Failure(std::string text) : text_(std::move(text)) {}
  const std::string& text() const noexcept { return text_; }
  const char* what() const noexcept override { return text_.c_str(); }

 private:
  std::string text_;
};

// The one way to raise a message. Set a breakpoint here to catch every failure.
[[noreturn]] void raiseFailure(std::string text);

// Raises `message` when `condition` is false.
inline void throwUnless(bool condition, const char* message) {
  if (!condition) raiseFailure(message);
}
inline void throwUnless(bool condition, const std::string& message) {
  if (!condition) raiseFailure(message);
}

}  // namespace tessary
