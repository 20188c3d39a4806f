// The header of a data array (.daH): record count, bitmap length and one record per
// variable, looked up by upper-cased name.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "data/variable_record.h"

namespace tessary {

class DataArrayHeader {
 public:
  using VariableMap = std::map<std::string, VariableRecord>;

  DataArrayHeader();

  // Reads a header file; true, or raises a message. Adds to (or overwrites entries of)
  // the variable map.
  bool loadHeader(const std::string& path);
  // Replaces the header file whole, atomically; true, or raises a message.
  bool saveHeader(const std::string& path);
  // Marks a variable selected; raises a message when it is absent.
  void select(std::string_view name);

  // The variable of that name (compared upper-cased), or nullptr.
  VariableRecord* find(std::string_view name);
  const VariableRecord* find(std::string_view name) const;

  // The lookup key of a caller's name: at most 256 bytes, upper-cased.
  static std::string lookupKey(std::string_view name);

  VariableMap& variables() { return variables_; }
  const VariableMap& variables() const { return variables_; }

  // Clears counts, texts and variables (the magic and nextId stay).
  void clear();

  std::array<char, 10> magic{};
  std::uint32_t recordCount = 0;
  std::uint32_t variableCount = 0;
  std::uint32_t maskBytes = 0;
  TextField headerTextA{};
  TextField headerTextB{};
  std::uint32_t headerWord6 = 0;
  std::uint32_t nextId = 0;
  std::int32_t lastError = 0;

 protected:
  VariableMap variables_;
};

// The magic text that opens every header file, with its zero byte.
inline constexpr char kHeaderMagic[10] = "VODB 1.02";

// The whole header file content of `header`.
std::string encodeHeaderFile(const DataArrayHeader& header);

}  // namespace tessary
