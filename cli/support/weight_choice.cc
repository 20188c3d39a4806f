#include "support/weight_choice.h"

#include "data/variable_record.h"
#include "frame/failure.h"

namespace tessary::cli {

std::string chosenWeight(const WeightChoice& choice, const DataSet& data) {
  if (choice.unweighted) {
    if (!choice.name.empty()) raiseFailure("give --weight or --unweighted, not both");
    return "";
  }
  if (!choice.name.empty()) return choice.name;
  // The header's second text names the weight variable of its level.
  return textOf(data.header(data.level()).headerTextB);
}

}  // namespace tessary::cli
