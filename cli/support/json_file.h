// Reading the tool's JSON files (model.json, estimates.json) through nlohmann-json.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace tessary::cli {

// The document in `path`; raises "<path>: can't read the file (<reason>)" or
// "<path>: not valid JSON (at byte N)".
nlohmann::json readJsonFile(const std::string& path);

}  // namespace tessary::cli
