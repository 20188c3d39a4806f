#include "frame/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/text.h"

namespace tessary {
namespace {

// Drops the zeros that open an exponent: "e+006" or "e+06" -> "e+6".
std::string trimExponent(std::string text) {
  std::size_t e = text.find_first_of("eE");
  if (e == std::string::npos || e + 1 >= text.size()) return text;
  std::size_t digits = e + 1;
  if (text[digits] == '+' || text[digits] == '-') ++digits;
  std::size_t first = digits;
  while (first + 1 < text.size() && text[first] == '0')
    ++first;
  text.erase(digits, first - digits);
  return text;
}

}  // namespace

std::string formatGeneral(double x, int significantDigits) {
  char buffer[64];
  const std::to_chars_result end =
      significantDigits == kRoundTrip
          ? std::to_chars(buffer, buffer + sizeof buffer, x)
          : std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general,
                          significantDigits);
  return std::string(buffer, end.ptr);
}

std::string formatFixed(double x, int decimals, int width) {
  if (decimals < 0) decimals = 0;
  if (!std::isfinite(x)) return formatGeneral(x);
  const double magnitude = std::fabs(x);
  // The digits of |x| rounded to `decimals`, as the fixed conversion gives them.
  std::string fixed = formatText("%.*f", decimals, magnitude);
  std::size_t point = fixed.find('.');
  std::string integerPart = fixed.substr(0, point);
  std::string fraction = point == std::string::npos ? "" : fixed.substr(point + 1);
  std::string digits = integerPart + fraction;
  std::size_t firstSignificant = digits.find_first_not_of('0');
  if (x == 0.0 || firstSignificant == std::string::npos)
    return decimals > 0 ? "0." + std::string(static_cast<std::size_t>(decimals), '0') : "0";

  // Position of the decimal point relative to the first significant digit.
  const long decpt = static_cast<long>(integerPart.size()) - static_cast<long>(firstSignificant);
  std::string text;
  if (decimals > 0 && std::labs(decpt) > width - decimals - 2) {
    text = trimExponent(formatText("%.*g", decimals, magnitude));
  } else {
    text = fixed;
    if (text.find('.') != std::string::npos)
      while (!text.empty() && text.back() == '0')
        text.pop_back();
  }
  if (!text.empty() && text.back() == '.') text.pop_back();
  return x < 0 ? "-" + text : text;
}

std::string formatFixed(double x) {
  return formatFixed(x, 7, 14);
}

std::string formatPadded(double x, int decimals, int width, int field) {
  std::string text = formatFixed(x, decimals, width);
  if (field > 0 && text.size() < static_cast<std::size_t>(field))
    text.insert(0, static_cast<std::size_t>(field) - text.size(), ' ');
  return text;
}

std::string formatPValue(double p) {
  if (p >= 0.0001) return formatPadded(p, 4, 8, 8);
  return "  <.0001";
}

}  // namespace tessary
