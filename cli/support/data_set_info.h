// The description `tessary info` prints: records and, per variable, kind, encoding,
// valid count, range and number of labels; every level of a combined data array.
#pragma once

#include <string>

namespace tessary::cli {

// The description of the data array (.daH) or combined data array (.daA) at `path`.
std::string describeDataSet(const std::string& path);

}  // namespace tessary::cli
