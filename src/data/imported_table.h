// A data set read from a foreign file, column by column, before it becomes a data
// array: numeric columns as doubles (missing values not finite), text columns as their
// distinct texts (levels, in any order) and each record's level, value labels with
// their codes, and the notes the reader has for the user.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessary {

// Called now and then with the work done so far and the whole of it.
using ProgressCallback = std::function<void(std::uint64_t done, std::uint64_t total)>;

struct ImportedColumn {
  std::string name;      // as the source spells it; V<position> when it gives none
  bool unnamed = false;  // the source gave the column no name
  std::string label;     // variable label, "" when none
  bool isText = false;
  bool categorical = false;  // store a numeric column as categorical, labels or not
  std::vector<double> numbers;
  std::vector<std::string> levels;                // the distinct non-empty texts of a text column
  std::vector<std::uint32_t> levelOfRecord;       // 1 + index into levels; 0 when missing
  std::map<double, std::string> valueLabels;      // numeric code -> label
  std::map<std::string, std::string> textLabels;  // text value -> label (SPSS strings)

  std::size_t size() const { return isText ? levelOfRecord.size() : numbers.size(); }
};

struct ImportedTable {
  std::vector<ImportedColumn> columns;
  std::uint64_t rowCount = 0;
  std::vector<std::string> notes;  // how the reader typed or changed columns
  std::string identifier;          // what the source names as such; "" when nothing
  std::string weight;
};

// Collects the levels of a text column (or a part of one) as its records arrive.
class LevelCollector {
 public:
  explicit LevelCollector(std::vector<std::string>& levels) : levels_(levels) {
    for (std::size_t i = 0; i < levels.size(); ++i)
      index_.emplace(levels[i], static_cast<std::uint32_t>(i + 1));
  }
  // The record's entry for `text`: 0 for an empty text.
  std::uint32_t entryOf(std::string_view text) {
    if (text.empty()) return 0;
    const auto found = index_.find(text);
    if (found != index_.end()) return found->second;
    levels_.emplace_back(text);
    const auto entry = static_cast<std::uint32_t>(levels_.size());
    index_.emplace(levels_.back(), entry);
    return entry;
  }

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };
  std::vector<std::string>& levels_;
  std::unordered_map<std::string, std::uint32_t, Hash, std::equal_to<>> index_;
};

}  // namespace tessary
