#include "support/direct_survey_reader.h"

#include "data/data_set.h"
#include "expr/expression_evaluation.h"
#include "frame/failure.h"
#include "frame/missing.h"

namespace tessary::cli {

SurveyReader::SurveyReader(const std::string& argument) : data_(std::make_unique<DataSet>()) {
  data_->open(argument);
  path_ = data_->path();
  households_ = static_cast<std::uint32_t>(data_->recordCount());
  if (households_ == 0) raiseFailure(path_ + ": no households");
}

SurveyReader::~SurveyReader() = default;

SurveyColumn SurveyReader::column(const std::string& expression) {
  SurveyColumn column;
  // A combined data array evaluates into a buffer as long as its longest level.
  column.values.assign(data_->slotSize(), MISSING);
  const ExpressionValues result =
      evaluateExpression(expression, *data_, 1, households_, column.values);
  column.values.resize(households_);
  column.categorical = result.categorical;
  column.labels = result.labels;
  return column;
}

}  // namespace tessary::cli
