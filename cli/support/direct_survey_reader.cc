#include "support/direct_survey_reader.h"

#include "data/cda.h"
#include "data/data_array.h"
#include "expr/expression_evaluation.h"
#include "frame/failure.h"
#include "frame/missing.h"
#include "support/data_set_path.h"

namespace tessary::cli {

// Exactly one of the two is open.
struct SurveyReader::Source {
  std::unique_ptr<DataArray> data;
  std::unique_ptr<CDA> combined;

  DataArray& households() { return combined ? combined->level(0) : *data; }
};

SurveyReader::SurveyReader(const std::string& argument) : source_(std::make_unique<Source>()) {
  const DataSetPath resolved = resolveDataSet(argument);
  path_ = resolved.path;
  if (resolved.combined) {
    source_->combined = std::make_unique<CDA>(path_);
    source_->combined->load();
    source_->combined->cursor = 0;
  } else {
    source_->data = std::make_unique<DataArray>();
    source_->data->open(path_);
    source_->data->loadHeader();
  }
  households_ = source_->households().recordCount;
  if (households_ == 0) raiseFailure(path_ + ": no households");
}

SurveyReader::~SurveyReader() = default;

std::string SurveyReader::storedWeight() const {
  return textOf(source_->households().headerTextB);
}

SurveyColumn SurveyReader::column(const std::string& expression) {
  SurveyColumn column;
  // A combined data array evaluates into a buffer as long as its longest level.
  const std::size_t slot = source_->combined ? source_->combined->maxRecordCount() : households_;
  column.values.assign(slot, MISSING);
  const ExpressionValues result =
      source_->combined
          ? evaluateExpression(expression, *source_->combined, 1, households_, column.values)
          : evaluateExpression(expression, *source_->data, 1, households_, column.values);
  column.values.resize(households_);
  column.categorical = result.categorical;
  column.labels = result.labels;
  return column;
}

}  // namespace tessary::cli
