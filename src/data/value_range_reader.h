// Reads record ranges of one variable's values, from any number of threads at once. The
// data array makes it on one thread (DataArray::rangeReader), after the checks a read
// needs and with its value file open; each read is then positioned reads of that file
// and decoding into the caller's output, touching nothing shared.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/variable_record.h"
#include "platform/file.h"

namespace tessary {

// The message of a failed open or read of a variable's values: `message`, the system's
// error code and the variable's name as the caller gave it.
std::string valueReadFailureText(const std::string& message, int systemError,
                                 std::string_view name);

class ValueRangeReader {
 public:
  // `file` and `path` are the value file's; `name` is the caller's name of the variable.
  ValueRangeReader(const File& file, const VariableRecord& record, std::string name,
                   std::string path);

  // Records fromRec..toRec (1-based, fromRec <= toRec, all within the variable) into
  // out[0..toRec-fromRec], in parallel blocks of records (platform/parallel.h). A short
  // read raises the code's read failure, carrying the system error code.
  void read(double* out, std::int64_t fromRec, std::int64_t toRec) const;

 private:
  // One positioned read, decoded in place: the stored bytes land at the front of `out`.
  void readBlock(double* out, std::int64_t fromRec, std::int64_t toRec) const;

  const File* file_;
  std::uint64_t dataOffset_;
  char code_;
  std::string name_;
  std::string path_;
};

}  // namespace tessary
