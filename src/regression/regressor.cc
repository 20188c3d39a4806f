#include "regression/regressor.h"

namespace tessary {

ColumnRecipe recipeOf(const Regressor& regressor) {
  const std::string& name = regressor.name;
  ColumnRecipe recipe;
  std::string variable;
  if (name.find(kYhatSquaredSuffix) != std::string::npos) {
    recipe.yhatPower = 2;
    variable = regressor.source;
  } else if (name == kYhatSquaredName) {
    recipe.yhatPower = 2;
  } else if (name.find(kYhatSuffix) != std::string::npos) {
    recipe.yhatPower = 1;
    variable = regressor.source;
  } else if (name == kYhatName) {
    recipe.yhatPower = 1;
  } else {
    variable = name;
  }
  if (variable.empty()) return recipe;
  // A column named after its own source is the variable; any other is a dummy of its
  // source at `code`.
  recipe.dummy = variable != regressor.source;
  recipe.variable = recipe.dummy ? regressor.source : variable;
  recipe.code = regressor.code;
  return recipe;
}

}  // namespace tessary
