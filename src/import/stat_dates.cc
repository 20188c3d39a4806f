#include "import/stat_dates.h"

#include <algorithm>
#include <array>

#include "platform/text.h"

namespace tessary {
namespace {

constexpr double k1960 = 21916;    // 1960-01-01
constexpr double k1582 = -115859;  // 1582-10-14
constexpr double kSecondsPerDay = 86400;

// The format's name without its width and decimals: "DATE11" -> "DATE", "E8601DA10." ->
// "E8601DA".
std::string formatName(std::string_view format) {
  std::string name = upperCase(format);
  while (!name.empty() && ((name.back() >= '0' && name.back() <= '9') || name.back() == '.'))
    name.pop_back();
  return name;
}

bool isOneOf(const std::string& name, std::initializer_list<const char*> names) {
  return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

std::optional<DateScale> stataScale(std::string_view format) {
  if (format.starts_with("%td") || format.starts_with("%d")) return DateScale{1, k1960, false};
  if (format.starts_with("%tc") || format.starts_with("%tC"))
    return DateScale{kSecondsPerDay * 1000, k1960, true};
  return std::nullopt;
}

std::optional<DateScale> spssScale(const std::string& name) {
  if (isOneOf(name, {"DATE", "ADATE", "EDATE", "JDATE", "SDATE"}))
    return DateScale{kSecondsPerDay, k1582, false};
  if (isOneOf(name, {"DATETIME", "YMDHMS"})) return DateScale{kSecondsPerDay, k1582, true};
  return std::nullopt;
}

std::optional<DateScale> sasScale(const std::string& name) {
  if (isOneOf(name, {"DATE", "DDMMYY", "MMDDYY", "YYMMDD", "YYMMDDN", "E8601DA", "B8601DA",
                     "WEEKDATE", "WORDDATE", "NLDATE", "EURDFDD"}))
    return DateScale{1, k1960, false};
  if (isOneOf(name, {"DATETIME", "E8601DT", "B8601DT", "NLDATM", "DATEAMPM"}))
    return DateScale{kSecondsPerDay, k1960, true};
  return std::nullopt;
}

}  // namespace

std::optional<DateScale> dateScaleOf(StatFormat format, std::string_view displayFormat) {
  switch (format) {
    case StatFormat::kStata:
      return stataScale(displayFormat);
    case StatFormat::kSpss:
      return spssScale(formatName(displayFormat));
    default:
      return sasScale(formatName(displayFormat));
  }
}

std::string dateNote(const std::string& name, const std::string& displayFormat,
                     const DateScale& scale) {
  return name + ": a " + (scale.withTime ? "date and time" : "date") + " (" + displayFormat +
         "), read as days since 1899-12-30";
}

}  // namespace tessary
