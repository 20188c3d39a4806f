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
    DataSet data;
    data.open(argumentText(dataSet), level);
    const int32_t count = countForCaller(data.recordCount(), "tessaryEvaluate");
    if (values == nullptr || count == 0) return count;
    // The evaluator's columns hold every record of the largest level.
    std::vector<double> result(data.slotSize());
    evaluateExpression(argumentText(expression), data, 1, count, result);
    copyToCaller(std::span<const double>(result.data(), static_cast<std::size_t>(count)), values,
                 capacity, "tessaryEvaluate");
    return count;
  });
}

}  // extern "C"
