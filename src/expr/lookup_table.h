// Lookup tables: a two-column text file (key, tab, value) that LOOKUP translates a
// column through. Keys and values are numbers or year/month/day dates; a key that is a
// word stands for missing inputs.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace tessary {

// A key or value text as a number: a decimal with optional exponent, or a date
// YYYY/MM/DD (year after 1900) as its day count since 1899-12-30. Anything else,
// trailing characters included, is MISSING.
double convertLookupNumber(std::string_view text);

class LookupTable {
 public:
  // Reads the table; raises "Can't open lookup table " + name when it cannot.
  void load(const std::string& fileName);
  // Builds the table from file content.
  void parse(std::string_view content);

  // Replaces each value by its table value, or MISSING when no key matches; returns how
  // many found no key.
  std::size_t translate(double* values, std::size_t n);

  const std::map<double, double>& entries() const { return entries_; }

 private:
  std::map<double, double> entries_;
  std::map<double, double>::const_iterator last_ = entries_.end();
};

// Reads `fileName` and translates the n values in place; returns the miss count.
std::size_t translate(const std::string& fileName, double* values, std::size_t n);

}  // namespace tessary
