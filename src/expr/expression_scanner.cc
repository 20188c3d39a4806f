#include "expr/expression_scanner.h"

#include <charconv>
#include <cmath>

#include "frame/failure.h"
#include "frame/missing.h"

namespace tessary {
namespace {

// Beyond the range of a double: the power of ten of the first significant digit
// decides between overflow and underflow.
double outOfRange(std::string_view token) {
  const std::size_t e = token.find('E');
  const std::string_view mantissa = token.substr(0, e);
  long long exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view digits = token.substr(e + 1);
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
      digits.remove_prefix(1);
    for (char c : digits)
      exponent = std::min(exponent * 10 + (c - '0'), 1000000000LL);
    if (negative) exponent = -exponent;
  }
  const std::size_t dot = std::min(mantissa.find('.'), mantissa.size());
  const std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return 0.0;
  const long long place =
      first < dot ? static_cast<long long>(dot - first) : -static_cast<long long>(first - dot - 1);
  return place + exponent > 0 ? MISSING : 0.0;
}

}  // namespace

double decimalValue(std::string_view token) {
  const bool negative = !token.empty() && token.front() == '-';
  if (!token.empty() && (token.front() == '-' || token.front() == '+')) token.remove_prefix(1);
  std::string text(token);
  for (char& c : text)
    if (c == 'D') c = 'E';
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) value = outOfRange(text);
  return negative ? -value : value;
}

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

Operator ExpressionScanner::scanComparison() {
  startToken();
  const Operator single = operatorWithSymbol(peek());
  advance();
  if (atEnd()) return single;
  const std::string_view pair(text_.data() + tokenStart_, 2);
  advance();
  if (pair == ">=" || pair == "=>") return Operator::kGreaterOrEqual;
  if (pair == "<=" || pair == "=<") return Operator::kLessOrEqual;
  if (pair == "==") return Operator::kEqual;
  if (pair == "!=" || pair == "<>" || pair == "><") return Operator::kNotEqual;
  cursor_ -= 1;
  return single;
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
