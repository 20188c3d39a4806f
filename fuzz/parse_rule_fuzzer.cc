// Any text handed to the rule parser either yields a consistent rule or a stored
// message; a parsed rule recodes every value to MISSING or a group number.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "expr/invalid_conversion.h"
#include "expr/recode_rule.h"
#include "frame/missing.h"
#include "fuzz_scratch.h"

namespace {

using tessary::fuzzing::require;

constexpr double kProbes[] = {-3e9, -2147483648.0,
                              -1e6, -100.5,
                              -10,  -1,
                              -0.5, 0,
                              0.5,  1,
                              1.5,  2,
                              5,    9.99,
                              10,   15,
                              20,   50,
                              90,   99.5,
                              100,  101,
                              1e6,  2147483647.0,
                              3e9,  std::numeric_limits<double>::quiet_NaN()};
constexpr std::size_t kProbeCount = sizeof kProbes / sizeof kProbes[0];

void checkRule(const tessary::RecodeRule& rule) {
  const int groups = rule.groupCount();
  require(groups >= 1 && groups <= tessary::MAX_GROUP);
  for (int i = 0; i < groups; ++i) {
    const tessary::RuleGroup& group = rule.groups()[i];
    require(group.number == i && !group.placeholder);
    for (const tessary::RuleRange& range : group.ranges)
      require(range.low <= range.high);
  }

  double recoded[kProbeCount];
  double blanked[kProbeCount];
  std::memcpy(recoded, kProbes, sizeof kProbes);
  std::memcpy(blanked, kProbes, sizeof kProbes);
  rule.apply(recoded, 1, kProbeCount, false);
  rule.apply(blanked, 1, kProbeCount, true);
  for (std::size_t i = 0; i < kProbeCount; ++i) {
    double v = recoded[i];
    if (groups > 1 && std::isfinite(v)) require(v >= 1 && v <= groups && v == std::trunc(v));
    // Truncation keeps exactly the values that blanking removes.
    if (groups == 1 && std::isfinite(kProbes[i]))
      require(std::isfinite(v) != std::isfinite(blanked[i]));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tessary::RecodeRule rule;
  try {
    if (rule.parse(reinterpret_cast<const char*>(data), size)) {
      require(rule.errorText().empty());
      checkRule(rule);
    } else {
      require(rule.groupCount() == 0 && !rule.errorText().empty());
    }
  } catch (const tessary::InvalidConversionException& conversion) {
    require(rule.groupCount() == 0 && rule.errorText() == conversion.text());
  }
  return 0;
}
