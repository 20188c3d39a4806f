// Value labels of categorical variables, one profile section per variable in the
// data array's .daL file.
#pragma once

#include <string>
#include <string_view>

#include "data/categorize.h"

namespace tessary {

// The section a variable's labels live in: '[' becomes '#', ']' becomes '$', spaces
// are dropped; at most 256 characters of the name count.
std::string labelSectionName(std::string_view variableName);

// Fills `labels` from `labelFile` (an absent file or section leaves it empty).
void loadLabels(const std::string& labelFile, std::string_view variableName, LabelMap& labels);

}  // namespace tessary
