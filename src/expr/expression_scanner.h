// Cleaning and scanning of expression text. Scanning always works on the cleaned
// text: blanks and line breaks are gone and everything outside string constants is
// upper case, so names and keywords are case-insensitive.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "expr/operators.h"

namespace tessary {

// Drops tab, line feed, carriage return and blank, and upper-cases every character
// outside double-quoted string constants (which are copied unchanged).
std::string cleanExpressionText(std::string_view raw);

inline bool isNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || c == '_' || c == '#' || c == '$';
}
inline bool isNameContinuation(char c) {
  return isNameStart(c) || (c >= '0' && c <= '9');
}
inline bool isNumberStart(char c) {
  return (c >= '0' && c <= '9') || c == '.';
}

// A cursor over one cleaned expression. Each scanner starts a token at the cursor,
// advances the cursor past it and returns its text; lexical errors are raised as
// failures carrying the message.
// The value of decimal text with an optional sign (a 'D' exponent reads as 'E'),
// independent of the locale: overflow gives ±MISSING, underflow 0. Text after the
// longest number at the front is ignored.
double decimalValue(std::string_view token);

class ExpressionScanner {
 public:
  void reset(std::string_view raw);

  const std::string& text() const { return text_; }
  std::size_t length() const { return text_.size(); }
  std::size_t cursor() const { return cursor_; }
  std::size_t tokenStart() const { return tokenStart_; }
  bool atEnd() const { return cursor_ >= text_.size(); }
  // The character `offset` places after the cursor, or '\0' past the end.
  char peek(std::size_t offset = 0) const {
    return cursor_ + offset < text_.size() ? text_[cursor_ + offset] : '\0';
  }
  // True when the character `offset` places after the cursor is the last one.
  bool isLast(std::size_t offset = 0) const { return cursor_ + offset + 1 == text_.size(); }
  void advance(std::size_t count = 1) { cursor_ += count; }
  void startToken() { tokenStart_ = cursor_; }

  std::string scanIdentifier();
  std::string scanNumber();
  // The comparison operator at the cursor: a two-character pair (>= => <= =< == != <>
  // ><) or the single character '<', '>' or '='.
  Operator scanComparison();
  // The string constant with both quotes, or "ERR" when the closing quote is missing.
  std::string scanString(char quote);

 private:
  std::string token() const { return text_.substr(tokenStart_, cursor_ - tokenStart_); }

  std::string text_;
  std::size_t tokenStart_ = 0;
  std::size_t cursor_ = 0;
};

}  // namespace tessary
