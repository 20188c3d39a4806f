// Columns that do not come from a combined data array on disk: a design matrix can be
// read from any source of household columns, for example a census held in memory.
#pragma once

#include <cstdint>
#include <string>

namespace tessary {

class ColumnSource {
 public:
  virtual ~ColumnSource() = default;
  // The household records the source holds.
  virtual std::int64_t recordCount() const = 0;
  // Values of records fromRec..toRec (1-based, inclusive) into out[0 .. toRec-fromRec];
  // raises a Failure for a variable it does not hold.
  virtual void read(const std::string& variable, std::int64_t fromRec, std::int64_t toRec,
                    double* out) = 0;
};

}  // namespace tessary
