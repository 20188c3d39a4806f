#include "tab/tab_sources.h"

#include "data/record_identifier.h"
#include "expr/expression_evaluation.h"
#include "frame/failure.h"
#include "platform/file.h"
#include "platform/text.h"

namespace tessary {
namespace {

std::span<double> span(double* out, std::size_t count) {
  return {out, count};
}

// Parses (with the cluster functions), checks and evaluates records 1..n.
template <class DataSet>
LabelMap evaluateWithLabelFile(const std::string& text, DataSet& data, std::span<double> out,
                               std::size_t n) {
  ExpressionParser expression(true);
  expression.parse(text);
  checkVariables(expression, data);
  LabelMap labels;
  evaluateToFiles(expression, out, nullptr, data, 1, static_cast<std::int64_t>(n), &labels);
  return labels;
}

void writeNumericResultLabels() {
  const std::string path = evalResultLabelPath();
  if (!writeWholeFile(path, evalResultLabelText(false, {}, {}, nullptr), Durability::kScratch))
    raiseFailure("Can't write file " + path + ".\n");
}

}  // namespace

void DataArrayTabSource::evaluate(const std::string& expression, double* out, LabelMap& labels) {
  const std::size_t n = recordCount();
  if (n == 0) return;
  if (expression == kIdentifierFormula) {
    readRecordIdentifiers(data_, span(out, n), 1, static_cast<std::int64_t>(n));
    return;
  }
  labels = evaluateWithLabelFile(expression, data_, span(out, n), n);
}

void DataArrayTabSource::clearResultLabels() {
  writeNumericResultLabels();
}

char DataArrayTabSource::readVariable(const std::string& name, double* out, LabelMap& labels) {
  const VariableRecord* record = data_.find(name);
  throwUnless(record != nullptr, "Variable " + upperCase(name) + " not found.");
  const char kind = record->kind;
  const std::size_t n = recordCount();
  if (n > 0) data_.getValue(name, span(out, n), 1, static_cast<std::int64_t>(n));
  if (kind == 'C') data_.loadLabels(name, labels);
  return kind;
}

std::size_t CdaTabSource::recordCount() const {
  throwUnless(cda_.cursor >= 0 && cda_.cursor <= 2, "Invalid cursor.\n");
  return cda_.level(cda_.cursor).recordCount;
}

void CdaTabSource::evaluate(const std::string& expression, double* out, LabelMap& labels) {
  const std::size_t n = recordCount();
  if (n == 0) return;
  if (expression == kIdentifierFormula) {
    readRecordIdentifiers(cda_.level(cda_.cursor), span(out, n), 1, static_cast<std::int64_t>(n));
    return;
  }
  labels = evaluateWithLabelFile(expression, cda_, span(out, bufferSize()), n);
}

void CdaTabSource::clearResultLabels() {
  writeNumericResultLabels();
}

char CdaTabSource::readVariable(const std::string& name, double* out, LabelMap& labels) {
  const std::size_t n = recordCount();
  if (n == 0) return 'N';
  cda_.getValue(name, span(out, bufferSize()), 1, static_cast<std::int64_t>(n));
  DataArray& level = cda_.level(cda_.foundLevel);
  const char kind = level.find(name)->kind;
  if (kind == 'C') level.loadLabels(name, labels);
  return kind;
}

}  // namespace tessary
