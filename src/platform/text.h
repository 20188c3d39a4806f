// Character services: upper-casing of names and printf-style formatting.
#pragma once

#include <string>
#include <string_view>

namespace tessary {

// Upper-cases ASCII letters byte by byte; every other byte stays.
std::string upperCase(std::string_view text);
void upperCaseInPlace(std::string& text);

// `text` without the `blanks` it begins and ends with.
std::string_view trimBlanks(std::string_view text, std::string_view blanks = " \t");

// A text of several lines as one: its lines, without their trailing blanks and with
// blank lines left out, joined by "; ".
std::string joinLines(std::string_view text);

// Fills a printf-style template (%i, %d, %s, %f ...) into a string.
[[gnu::format(printf, 1, 2)]] std::string formatText(const char* format, ...);

// The last operating-system error code (errno) and its text (strerror).
int lastSystemError();
std::string systemErrorText(int code);

}  // namespace tessary
