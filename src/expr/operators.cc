#include "expr/operators.h"

namespace tessary {
namespace {

struct OperatorEntry {
  char symbol;
  int priority;
};

// Indexed by Operator.
constexpr OperatorEntry kOperators[] = {
    {'_', 400}, {'!', 400}, {'^', 400}, {'@', 400}, {'*', 200}, {'/', 200},
    {'%', 200}, {'+', 100}, {'-', 100}, {'<', 70},  {'>', 70},  {'{', 70},
    {'}', 70},  {'=', 53},  {'#', 53},  {'&', 51},  {'|', 50},  {'(', 0},
};
static_assert(sizeof(kOperators) / sizeof(kOperators[0]) ==
              static_cast<int>(Operator::kOpenParenthesis) + 1);

}  // namespace

int priority(Operator op) {
  return kOperators[static_cast<int>(op)].priority;
}

char symbol(Operator op) {
  return kOperators[static_cast<int>(op)].symbol;
}

Operator operatorWithSymbol(char c) {
  for (int k = 0; k < static_cast<int>(Operator::kOpenParenthesis); ++k)
    if (kOperators[k].symbol == c) return static_cast<Operator>(k);
  return Operator::kOpenParenthesis;
}

}  // namespace tessary
