// Which weight a command uses: the weight variable stored with the data set at import
// unless the user names another (--weight) or asks for none (--unweighted).
#pragma once

#include <string>

#include "data/data_set.h"

namespace tessary::cli {

struct WeightChoice {
  std::string name;  // a variable or expression; "" takes the stored one
  bool unweighted = false;
};

// The weight expression for the data set at its level ("" weighs every record 1).
std::string chosenWeight(const WeightChoice& choice, const DataSet& data);

}  // namespace tessary::cli
