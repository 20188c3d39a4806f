// The number formats of text output: the report format of the printed reports, and the
// general format every other text (tables, labels, messages, CSV) writes numbers in.
#pragma once

#include <string>

namespace tessary {

// x with at most `decimals` decimals and no trailing zeros ("1.5", "2", "0.05");
// "0." and `decimals` zeros when nothing significant is left; the general
// (exponent) form with `decimals` significant digits when the decimal point lies more
// than width - decimals - 2 places from the first digit (exponent without leading
// zeros: "1.235e+7").
std::string formatFixed(double x, int decimals, int width);
// The report shorthand: 7 decimals, width 14.
std::string formatFixed(double x);

// formatFixed padded on the left with blanks to `field` characters.
std::string formatPadded(double x, int decimals, int width, int field);

// The general format as "%.*g" writes it in the C locale, whatever the process's locale:
// `significantDigits` digits ("inf", "-inf", "nan" for the others). Six digits is the
// default of an output stream; kRoundTrip gives the shortest text that reads back to the
// same double.
inline constexpr int kRoundTrip = 0;
std::string formatGeneral(double x, int significantDigits = 6);

// A p-value in 8 characters: formatPadded(p, 4, 8, 8), or "  <.0001" below 0.0001.
std::string formatPValue(double p);

}  // namespace tessary
