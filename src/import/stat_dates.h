// Dates and date-times of Stata, SPSS and SAS files, told by their display formats, are
// read as days since 1899-12-30 (the spreadsheet convention): a date is a whole number,
// a date-time has the time of day as the fraction. Each source counts from its own
// origin in its own unit (Stata days or milliseconds since 1960-01-01, SPSS seconds
// since 1582-10-14, SAS days or seconds since 1960-01-01).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "import/stat_file_reader.h"

namespace tessary {

struct DateScale {
  double unitsPerDay = 1;
  double originDays = 0;  // the source's origin, in days since 1899-12-30
  bool withTime = false;

  double days(double value) const { return value / unitsPerDay + originDays; }
};

// The scale of a variable shown in `displayFormat`; none when it is not a date.
std::optional<DateScale> dateScaleOf(StatFormat format, std::string_view displayFormat);

// The note for a date variable: "<name>: a date (<format>), read as days since 1899-12-30".
std::string dateNote(const std::string& name, const std::string& displayFormat,
                     const DateScale& scale);

}  // namespace tessary
