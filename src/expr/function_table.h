// The built-in functions of the expression language and their parameter counts.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace tessary {

// Name (upper case) to parameter count; 0 means the call is written with empty
// parentheses, as in COUNT().
using FunctionTable = std::map<std::string, std::int16_t, std::less<>>;

// The shared table with or without the functions that need a cluster structure. The
// tables are immutable, so every expression can point at one of the two.
const FunctionTable& builtInFunctions(bool withClusterFunctions);

}  // namespace tessary
