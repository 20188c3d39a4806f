// The fixed-width text of the regression report.
#pragma once

#include <string>

namespace tessary {

// The first `width` characters of text, spaces in front up to `width`.
std::string rightAlign(const std::string& text, int width);
// A space, the first `width` characters of text, spaces after up to width + 1 in all.
std::string leftAlign(const std::string& text, int width);

// formatFixed(value, decimals, maxWidth), "nan" for a value that is not a number,
// right-aligned in `width`.
std::string reportNumber(double value, int decimals, int maxWidth, int width);
// formatPValue(p), "     nan" for a p-value that is not a number.
std::string reportPValue(double p);

}  // namespace tessary
