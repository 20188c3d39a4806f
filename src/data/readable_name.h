// Variable names the expression language can read: a letter, '_', '#' or '$', then
// those or digits. Imported names are made readable by upper-casing them and turning
// every other character into '_' ("sch.wide" -> "SCH_WIDE", "my var" -> "MY_VAR"); a
// name starting with a digit gets a leading '_'.
#pragma once

#include <string>
#include <string_view>

namespace tessary {

bool isReadableName(std::string_view name);

// `name` upper-cased and made readable as above ("_" for an empty name).
std::string readableName(std::string_view name);

}  // namespace tessary
