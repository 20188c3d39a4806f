// The one table of the expression language's built-in functions: name, parameter
// count, availability, whether the function works record by record, and the handler
// that the evaluator calls. A new function is added here and nowhere else.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "expr/aggregate_operation.h"

namespace tessary {

struct FunctionCall;  // the evaluator's view of one call (function_call.h)
using FunctionHandler = void (*)(FunctionCall& call);

enum class Availability : std::uint8_t {
  kAlways,
  kCluster,  // only for expressions that know the cluster functions
};

enum class Argument : std::uint8_t {
  kColumns,    // every parameter is a stack operand
  kRule,       // the last parameter is a rule, which is no operand (ENCODE, SETMISSING)
  kTableName,  // the last parameter names a lookup table (LOOKUP)
};

struct BuiltInFunction {
  std::string_view name;    // upper case
  std::int16_t parameters;  // 0: written with empty parentheses, as in COUNT()
  Availability availability;
  // Each record's result depends only on that record's operands, so the function can
  // run over any block of records.
  bool elementwise;
  FunctionHandler handler;
  Argument argument = Argument::kColumns;
  AggregateForm aggregate{};  // for the cluster aggregates

  // Stack operands the call takes.
  int operands() const { return argument == Argument::kRule ? parameters - 1 : parameters; }
};

// Every function, sorted by name.
std::span<const BuiltInFunction> builtInFunctions();

// The function of that exact (upper-case) name, or null; the cluster functions are
// found only with `withClusterFunctions`.
const BuiltInFunction* findFunction(std::string_view name, bool withClusterFunctions);

}  // namespace tessary
