// Reading back what the tool wrote: values, holes, records and labels of a variable.
#pragma once

#include <string>
#include <vector>

#include "data/data_array.h"

namespace tessary::testing {

struct StoredVariable {
  char kind = 0;
  char encoding = 0;
  int validCount = 0;
  std::string textA, textB;
  std::vector<double> values;
  std::vector<int> holes;  // 1-based records whose hole bit is set
  LabelMap labels;
};

inline StoredVariable readStored(const std::string& daH, const std::string& name) {
  DataArray data;
  data.open(daH);
  data.loadHeader();
  StoredVariable out;
  const VariableRecord* record = data.find(name);
  if (record == nullptr) return out;
  out.kind = record->kind;
  out.encoding = record->encoding;
  out.validCount = record->validCount;
  out.textA = textOf(record->textA);
  out.textB = textOf(record->textB);
  out.values.resize(data.recordCount);
  data.getValue(name, out.values, 1, data.recordCount);
  std::vector<std::uint8_t> bitmap(data.maskBytes);
  data.getMask(name, bitmap);
  for (std::uint32_t r = 1; r <= data.recordCount; ++r)
    if (isHole(bitmap.data(), r)) out.holes.push_back(static_cast<int>(r));
  data.loadLabels(name, out.labels);
  return out;
}

}  // namespace tessary::testing
