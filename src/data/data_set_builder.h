// Creating data sets: a new empty data array, a data reference and a combined data
// array description. The library itself only adds variables to existing data arrays;
// tests, the command-line tool and users build their data sets with these.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessary {

// Creates directory + base name of `path` (extension dropped) as an empty data array
// of `recordCount` records: a header without variables, a value file holding a zeroed
// global mask and an empty hole file. Raises a message when a file cannot be written.
void createDataArray(const std::string& path, std::uint32_t recordCount);

struct DataRefEntry {
  std::uint32_t parentCount = 1;
  std::uint32_t childCount = 0;
  bool skip = false;
  double refKey = 0.0;
};

// Writes a .daR file (the extension of `path` is replaced) from its entries.
void writeDataRef(const std::string& path, double amplifier,
                  const std::vector<DataRefEntry>& entries);

// Writes a .daA file naming household and cluster data arrays, the cluster reference
// and, when `auxiliary` is not empty, the auxiliary data array and its reference.
void writeCombinedDescription(const std::string& path, const std::string& households,
                              const std::string& clusters, const std::string& clusterRef,
                              const std::string& auxiliary = "",
                              const std::string& auxiliaryRef = "");

}  // namespace tessary
