// The categories of one dimension (rows or columns) of a cross table, formed from the
// dimension's values over the selected records.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace tessary {

// The heading of one category of a table dimension.
struct CategoryHeading {
  enum class Kind { kLabel, kInteger, kInterval };
  Kind kind = Kind::kInteger;
  std::string label;  // kLabel
  double value = 0;   // kInteger
  double lower = 0;   // kInterval: [lower, upper)
  double upper = 0;
};

// A heading as tables write it: the label, the integer, or "[lower,upper)", numbers in
// the general format.
std::string headingText(const CategoryHeading& heading);

class TableDimension {
 public:
  // Forms the categories: one per label when `labels` is not empty; else the integers
  // min..max when every finite value is integral (at most 1,000,000, else "Too many
  // integer category. Tabulation suspended."); else the findBestGrid intervals for
  // about `gridLimit` groups, in which case every finite value of `values` is
  // replaced by its grid coordinate (v - start) / width.
  void form(double* values, std::size_t count, const std::map<int, std::string>& labels,
            int gridLimit);

  const std::vector<CategoryHeading>& headings() const { return headings_; }
  // The smallest and largest finite value form() saw, before any rewriting; 0 and 0
  // when there was none.
  double lowest() const { return lowest_; }
  double highest() const { return highest_; }
  std::size_t size() const { return headings_.size(); }

  // The category of a (finite) value as the buffer holds it: may lie outside
  // 0..size()-1, which the caller reports.
  long long indexOf(double value) const;

 private:
  enum class Kind { kLabels, kIntegers, kGrid };
  Kind kind_ = Kind::kIntegers;
  double base_ = 0;
  double lowest_ = 0, highest_ = 0;
  std::map<int, std::size_t> labelPosition_;
  std::vector<CategoryHeading> headings_;
};

}  // namespace tessary
