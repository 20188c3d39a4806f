#include "expr/expression_scanner.h"

#include "frame/failure.h"

namespace tessary {

std::string cleanExpressionText(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if (c == '\t' || c == '\n' || c == '\r' || c == ' ') continue;
    if (c == '"') {
      // Copy the constant verbatim up to and including its closing quote.
      std::size_t close = raw.find('"', i + 1);
      std::size_t end = close == std::string_view::npos ? raw.size() : close + 1;
      out.append(raw.substr(i, end - i));
      i = end - 1;
      continue;
    }
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    out.push_back(c);
  }
  return out;
}

void ExpressionScanner::reset(std::string_view raw) {
  text_ = cleanExpressionText(raw);
  tokenStart_ = 0;
  cursor_ = 0;
}

std::string ExpressionScanner::scanIdentifier() {
  startToken();
  advance();
  while (!atEnd() && isNameContinuation(peek()))
    advance();
  return token();
}

std::string ExpressionScanner::scanNumber() {
  startToken();
  int dots = peek() == '.' ? 1 : 0;
  int exponents = 0;
  advance();
  while (!atEnd()) {
    char c = peek();
    if (c >= '0' && c <= '9') {
      advance();
    } else if (c == '.') {
      ++dots;
      advance();
      if (dots > 1) raiseFailure("Syntax Error in number specification. Improper '.' found.\n");
    } else if (c == 'E' || c == 'D') {
      if (++exponents > 1)
        raiseFailure("Syntax Error in number specification. More than one exponential found.\n");
      ++dots;  // a '.' after the exponent is an improper dot
      advance();
      if (atEnd()) raiseFailure("Syntax Error: no exponential part.\n");
      c = peek();
      if (c != '+' && c != '-' && !(c >= '0' && c <= '9'))
        raiseFailure("Error in exponential specification\n");
      advance();
    } else {
      break;
    }
  }
  std::string number = token();
  if (number == ".") raiseFailure("Error: decimal alone.\n");
  return number;
}

std::string ExpressionScanner::scanComparison() {
  startToken();
  if (isLast()) {
    advance();
    return token();
  }
  std::string pair = text_.substr(cursor_, 2);
  advance(2);
  if (pair == ">=" || pair == "=>") return "}";
  if (pair == "<=" || pair == "=<") return "{";
  if (pair == "==") return "=";
  if (pair == "!=" || pair == "<>" || pair == "><") return "#";
  cursor_ -= 1;
  return pair.substr(0, 1);
}

std::string ExpressionScanner::scanString(char quote) {
  startToken();
  std::size_t close = text_.find(quote, cursor_ + 1);
  if (close == std::string::npos) {
    cursor_ = text_.size();
    return "ERR";
  }
  cursor_ = close + 1;
  return token();
}

}  // namespace tessary
