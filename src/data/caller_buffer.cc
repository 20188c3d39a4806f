#include "data/caller_buffer.h"

#include <algorithm>
#include <limits>
#include <string>

#include "frame/failure.h"
#include "platform/text.h"

namespace tessary {

std::int32_t countForCaller(std::int64_t records, std::string_view function) {
  if (records > std::numeric_limits<std::int32_t>::max())
    raiseFailure(formatText("%s: %lld records are more than a 32-bit count holds",
                            std::string(function).c_str(), static_cast<long long>(records)));
  return static_cast<std::int32_t>(records);
}

void copyToCaller(std::span<const double> values, double* out, std::int32_t capacity,
                  std::string_view function) {
  if (capacity < 0 || static_cast<std::size_t>(capacity) < values.size())
    raiseFailure(formatText("%s: the buffer holds %d values, fewer than the %zu records",
                            std::string(function).c_str(), capacity, values.size()));
  std::copy(values.begin(), values.end(), out);
}

}  // namespace tessary
