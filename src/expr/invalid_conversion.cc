#include "expr/invalid_conversion.h"

#include <cstdint>
#include <limits>

namespace tessary {

int convertToInt32(const std::string& text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) throw InvalidConversionException(text);
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') throw InvalidConversionException(text);
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1)
      throw InvalidConversionException(text);
  }
  std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) throw InvalidConversionException(text);
  return static_cast<int>(value);
}

}  // namespace tessary
