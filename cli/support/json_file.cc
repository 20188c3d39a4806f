#include "support/json_file.h"

#include <cmath>

#include "frame/failure.h"
#include "platform/file.h"
#include "platform/text.h"

namespace tessary::cli {

nlohmann::json readJsonFile(const std::string& path) {
  std::string content;
  if (!readWholeFile(path, content))
    raiseFailure(formatText("%s: can't read the file (%s)", path.c_str(),
                            systemErrorText(lastSystemError()).c_str()));
  try {
    return nlohmann::json::parse(content);
  } catch (const nlohmann::json::parse_error& error) {
    raiseFailure(formatText("%s: not valid JSON (at byte %zu)", path.c_str(), error.byte));
  } catch (const nlohmann::json::out_of_range&) {  // a number beyond a double's range
    raiseFailure(path + ": not valid JSON (a number out of range)");
  }
}

JsonFields::JsonFields(std::string file, const nlohmann::json& object, std::string where)
    : file_(std::move(file)), object_(object), where_(std::move(where)) {
  if (!object_.is_object()) fail(where_.empty() ? "(document)" : where_, "expected an object");
}

void JsonFields::fail(const std::string& field, const std::string& problem) const {
  raiseFailure(file_ + ": " + field + ": " + problem);
}

std::string JsonFields::name(const std::string& key) const {
  return where_.empty() ? key : where_ + "." + key;
}

const nlohmann::json& JsonFields::at(const char* key) const {
  if (!object_.contains(key)) fail(name(key), "missing");
  return object_.at(key);
}

JsonFields JsonFields::object(const char* key) const {
  return JsonFields(file_, at(key), name(key));
}

JsonFields JsonFields::element(const nlohmann::json& value, const std::string& where) const {
  return JsonFields(file_, value, where);
}

double JsonFields::number(const char* key) const {
  return numberAt(at(key), name(key));
}

double JsonFields::numberAt(const nlohmann::json& value, const std::string& field) const {
  if (!value.is_number()) fail(field, "expected a number");
  const double v = value.get<double>();
  if (!std::isfinite(v)) fail(field, "expected a finite number");
  return v;
}

double JsonFields::notNegative(const char* key) const {
  const double v = number(key);
  if (v < 0) fail(name(key), "must not be negative");
  return v;
}

std::int64_t JsonFields::integer(const char* key, std::int64_t low, std::int64_t high) const {
  const nlohmann::json& value = at(key);
  if (!value.is_number_integer()) fail(name(key), "expected a whole number");
  // An unsigned value may lie above the largest signed one: compared unsigned.
  const bool inRange =
      value.is_number_unsigned()
          ? value.get<std::uint64_t>() <= static_cast<std::uint64_t>(high) &&
                (low <= 0 || value.get<std::uint64_t>() >= static_cast<std::uint64_t>(low))
          : value.get<std::int64_t>() >= low && value.get<std::int64_t>() <= high;
  if (!inRange)
    fail(name(key), formatText("expected a whole number from %lld to %lld",
                               static_cast<long long>(low), static_cast<long long>(high)));
  return value.get<std::int64_t>();
}

std::string JsonFields::text(const char* key) const {
  const nlohmann::json& value = at(key);
  if (!value.is_string()) fail(name(key), "expected a string");
  return value.get<std::string>();
}

std::vector<double> JsonFields::numbers(const char* key) const {
  return numbers(at(key), name(key));
}

std::vector<double> JsonFields::numbers(const nlohmann::json& value,
                                        const std::string& field) const {
  if (!value.is_array()) fail(field, "expected an array of numbers");
  std::vector<double> out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i)
    out.push_back(numberAt(value[i], field + "[" + std::to_string(i) + "]"));
  return out;
}

void JsonFields::onlyThese(std::initializer_list<const char*> known) const {
  for (const auto& item : object_.items()) {
    bool found = false;
    for (const char* k : known)
      found = found || item.key() == k;
    if (!found) fail(name(item.key()), "unknown field");
  }
}

}  // namespace tessary::cli
