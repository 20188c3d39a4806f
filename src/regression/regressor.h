// One candidate regressor of a model and the names the model builder gives them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessary {

// flags bits
inline constexpr std::uint8_t kInModel = 1;  // in the fitted model
inline constexpr std::uint8_t kFixed = 2;    // the selection procedures leave it alone

inline constexpr const char* kInterceptName = "_intercept_";
inline constexpr const char* kYhatName = "_yhat_";
inline constexpr const char* kYhatSquaredName = "_yhat_*_yhat_";
inline constexpr const char* kYhatSuffix = "*_yhat_";
inline constexpr const char* kYhatSquaredSuffix = "*_yhat_*_yhat_";

struct Regressor {
  std::string name;       // the column's unique name
  std::string source;     // the data variable it is computed from ("" for the intercept)
  std::int32_t code = 0;  // category code of a dummy
  std::string label;      // the report's "Label" column
  std::uint8_t flags = 0;
  double coef = 0.0;
  double stdErr = 0.0;
  double prob = 0.0;

  bool inModel() const { return (flags & kInModel) != 0; }
};

// How a regressor's column is formed from the data: `factor` powers of the predicted
// value times either nothing (no variable), the variable itself, or the indicator of
// the variable equal to `code` (a dummy).
struct ColumnRecipe {
  int yhatPower = 0;     // 0, 1 or 2
  std::string variable;  // "" when the column is the power of the predicted value alone
  bool dummy = false;
  std::int32_t code = 0;
};

// The recipe of a non-intercept regressor, by the naming conventions of its `name`.
ColumnRecipe recipeOf(const Regressor& regressor);

}  // namespace tessary
