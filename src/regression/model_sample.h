// The sample a host hands to makeSSCP for a model: the household level's global mask
// with every record missing the dependent variable, the weight or a candidate's
// variable excluded, then the model's condition applied; and the weights of the
// records that remain, in record order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessary {

class Regression;
class RegressionData;

// The household level's global mask with every record excluded that misses the
// dependent variable, the weight or a candidate's variable (the model's condition is
// not applied).
std::vector<std::uint8_t> completeRecordsMask(RegressionData& data, const Regression& model);

struct ModelSample {
  std::vector<std::uint8_t> mask;
  std::vector<double> weights;  // empty when the model is unweighted
  std::int32_t included = 0;
};

// Raises the library's message when the data set or the model cannot be read.
ModelSample modelSample(const std::string& daaPath, const std::string& modelFile);

}  // namespace tessary
