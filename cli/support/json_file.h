// Reading the tool's JSON files (model.json, estimates.json) through nlohmann-json.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tessary::cli {

// The document in `path`; raises "<path>: can't read the file (<reason>)" or
// "<path>: not valid JSON (at byte N)".
nlohmann::json readJsonFile(const std::string& path);

// One JSON object of a file read strictly, field by field: every failure raises
// "<file>: <where>.<field>: <what is wrong>".
class JsonFields {
 public:
  // Raises when `object` is not an object.
  JsonFields(std::string file, const nlohmann::json& object, std::string where);

  [[noreturn]] void fail(const std::string& field, const std::string& problem) const;
  // The field's full name, for messages.
  std::string name(const std::string& key) const;
  bool has(const char* key) const { return object_.contains(key); }
  // The field's value; raises when it is missing.
  const nlohmann::json& at(const char* key) const;
  JsonFields object(const char* key) const;
  // An object found elsewhere (an array's element), named `where`.
  JsonFields element(const nlohmann::json& value, const std::string& where) const;

  double number(const char* key) const;  // finite
  double notNegative(const char* key) const;
  double numberAt(const nlohmann::json& value, const std::string& field) const;
  std::int64_t integer(const char* key, std::int64_t low, std::int64_t high) const;
  std::string text(const char* key) const;
  std::vector<double> numbers(const char* key) const;
  std::vector<double> numbers(const nlohmann::json& value, const std::string& field) const;
  // Raises for a key that is none of `known`.
  void onlyThese(std::initializer_list<const char*> known) const;

 private:
  std::string file_;
  const nlohmann::json& object_;
  std::string where_;
};

}  // namespace tessary::cli
