#include "expr/lookup_table.h"

#include <chrono>
#include <cmath>
#include <cstdlib>

#include "expr/expression_scanner.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "platform/file.h"

namespace tessary {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool digitAt(std::string_view text, std::size_t i) {
  return i < text.size() && isDigit(text[i]);
}

// YYYY/MM/DD as days since 1899-12-30 (the spreadsheet serial date); MISSING otherwise.
double dateSerial(std::string_view text) {
  if (text.size() != 10 || text[4] != '/' || text[7] != '/') return MISSING;
  for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (!isDigit(text[i])) return MISSING;
  auto number = [&](std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i)
      value = value * 10 + (text[i] - '0');
    return value;
  };
  const int year = number(0, 4);
  if (year <= 1900) return MISSING;
  const std::chrono::year_month_day date{std::chrono::year{year},
                                         std::chrono::month{static_cast<unsigned>(number(5, 2))},
                                         std::chrono::day{static_cast<unsigned>(number(8, 2))}};
  if (!date.ok()) return MISSING;
  const std::chrono::sys_days epoch =
      std::chrono::year{1899} / std::chrono::December / std::chrono::day{30};
  return static_cast<double>((std::chrono::sys_days{date} - epoch).count());
}

}  // namespace

double convertLookupNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) <= '*')
    ++i;
  text.remove_prefix(i);
  if (text.empty() || text == "." || static_cast<unsigned char>(text[0]) > '9') return MISSING;
  if (text.size() == 10 && text[4] == '/') return dateSerial(text);
  std::size_t p = 0;
  if (text[p] == '+' || text[p] == '-') ++p;
  if (!digitAt(text, p) && !(p < text.size() && text[p] == '.' && digitAt(text, p + 1)))
    return MISSING;
  while (digitAt(text, p))
    ++p;
  if (p < text.size() && text[p] == '.') {
    ++p;
    while (digitAt(text, p))
      ++p;
  }
  if (p < text.size() && (text[p] == 'e' || text[p] == 'E')) {
    ++p;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) ++p;
    if (!digitAt(text, p)) return MISSING;
    while (digitAt(text, p))
      ++p;
  }
  if (p != text.size()) return MISSING;
  return decimalValue(text);
}

void LookupTable::load(const std::string& fileName) {
  std::string content;
  if (!readWholeFile(fileName, content)) raiseFailure("Can't open lookup table " + fileName);
  parse(content);
}

void LookupTable::parse(std::string_view content) {
  entries_.clear();
  last_ = entries_.end();
  while (!content.empty()) {
    const std::size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) continue;
    std::string_view key = line.substr(0, tab);
    std::size_t k = 0;
    while (k < key.size() && static_cast<unsigned char>(key[k]) < '+')
      ++k;
    key.remove_prefix(k);
    const bool numeric = digitAt(key, 0) ||
                         ((key.size() > 1 && (key[0] == '+' || key[0] == '-')) &&
                          (digitAt(key, 1) || (key[1] == '.' && digitAt(key, 2)))) ||
                         (!key.empty() && key[0] == '.' && digitAt(key, 1));
    const double keyValue = numeric ? convertLookupNumber(key) : MISSING;
    entries_[keyValue] = convertLookupNumber(line.substr(tab + 1));
  }
}

std::size_t LookupTable::translate(double* values, std::size_t n) {
  std::size_t misses = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double v = values[i];
    if (last_ != entries_.end() && v == last_->first) {
      values[i] = last_->second;
      continue;
    }
    auto found = std::isnan(v) ? entries_.end() : entries_.find(v);
    if (found != entries_.end()) {
      values[i] = found->second;
      last_ = found;
    } else {
      values[i] = MISSING;
      ++misses;
    }
  }
  return misses;
}

std::size_t translate(const std::string& fileName, double* values, std::size_t n) {
  LookupTable table;
  table.load(fileName);
  return table.translate(values, n);
}

}  // namespace tessary
