// A model file described for people: what it models, its sample, its fit and every
// candidate regressor with its flags and estimates.
#pragma once

#include <string>

namespace tessary {

class Regression;

std::string modelSummary(const Regression& model);

}  // namespace tessary
