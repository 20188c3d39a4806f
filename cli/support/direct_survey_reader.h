// The one place `tessary direct` reads a data set: the household level of a data array
// (.daH) or of a combined data array (.daA), where every column is an expression of
// the expression language evaluated over all households (a variable name is one).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tessary {
class DataSet;
}

namespace tessary::cli {

struct SurveyColumn {
  std::vector<double> values;  // one per household; MISSING where there is none
  bool categorical = false;
  std::map<int, std::string> labels;  // code -> label of a categorical column
};

class SurveyReader {
 public:
  explicit SurveyReader(const std::string& argument);
  ~SurveyReader();

  const std::string& path() const { return path_; }
  std::uint32_t households() const { return households_; }
  const DataSet& data() const { return *data_; }
  // Raises the evaluator's message for an expression it can't evaluate.
  SurveyColumn column(const std::string& expression);

 private:
  std::unique_ptr<DataSet> data_;
  std::string path_;
  std::uint32_t households_ = 0;
};

}  // namespace tessary::cli
