// The library's evaluation addition for hosts: an expression over a data set into the
// host's buffer.
#include <string>
#include <vector>

#include "data/caller_buffer.h"
#include "data/data_set.h"
#include "expr/expression_evaluation.h"
#include "frame/boundary.h"
#include "tessary.h"

extern "C" {

TESSARY_EXPORT int32_t tessaryEvaluate(const char* dataSet, int32_t level, const char* expression,
                                       double* values, int32_t capacity) {
  using namespace tessary;
  return guardExport<int32_t>(additionPolicy("tessaryEvaluate"), [&] {
    std::vector<double> result;
    return columnForCaller(
        argumentText(dataSet), level, values, capacity, "tessaryEvaluate", [&](DataSet& data) {
          // The evaluator's columns hold every record of the largest level.
          result.resize(data.slotSize());
          evaluateExpression(argumentText(expression), data, 1, data.recordCount(), result);
          return std::span<const double>(result);
        });
  });
}

}  // extern "C"
