// Raised when text that must be an integer is not one. It is a Failure, so the
// boundary reports it like any other message.
#pragma once

#include <string>

#include "frame/failure.h"

namespace tessary {

class InvalidConversionException : public Failure {
 public:
  explicit InvalidConversionException(const std::string& text)
      : Failure("Invalid integer \"" + text + "\"\n"), source_(text) {}
  // The text that failed to convert.
  const std::string& source() const noexcept { return source_; }

 private:
  std::string source_;
};

// A decimal integer with an optional sign that fits 32 bits; anything else raises
// InvalidConversionException.
int convertToInt32(const std::string& text);

}  // namespace tessary
