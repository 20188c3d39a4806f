// Sorting the records of a data array by a key variable, for tying levels together
// (combine.h): the stored variables are read, their records put in ascending order of
// the key (records with equal keys keep their order) and the data array rewritten as
// one step through writeDataSet. Expression variables have no stored values and are
// dropped; the identifier and weight settings, names, labels and codes are kept.
#pragma once

#include <string>

namespace tessary {

// Sorts the data array at `path` (a header path or stem) by `key` when its records are
// not in ascending order; true when it rewrote it.
bool sortLevelByKey(const std::string& path, const std::string& key);

}  // namespace tessary
