// What a CSV file cannot say about a data set, written by the export beside the file
// ("<file>.json") and read back by the import, so that an export followed by an import
// gives the same data set: each variable's stored name and the name as the source spelled
// it, its label, and for a categorical variable its codes with their labels and whether
// the cells hold the labels or the codes; the identifier and the weight.
//
//   {"identifier": "HHID", "weight": "",
//    "variables": [{"name": "URBAN", "spelled": "urban", "label": "",
//                   "categorical": true, "cells": "labels", "codes": {"1": "Urban"}}]}
#pragma once

#include <map>
#include <string>
#include <vector>

#include "data/imported_table.h"

namespace tessary {

struct VariableDescription {
  std::string name;     // as stored (the CSV's heading)
  std::string spelled;  // as the source spelled it; "" when it gave none
  std::string label;
  bool categorical = false;
  bool cellsHoldCodes = false;  // else the cells hold the labels
  std::map<int, std::string> codes;
};

struct DataSetDescription {
  std::string identifier;
  std::string weight;
  std::vector<VariableDescription> variables;
};

// "<csvPath>.json".
std::string descriptionPath(const std::string& csvPath);

std::string encodeDescription(const DataSetDescription& description);

// Reads the description at `path`; raises "<path>: <problem>".
DataSetDescription readDescription(const std::string& path);

// Gives the columns of a CSV file their description: names, labels, codes (cells holding
// labels become their codes) and the identifier and weight. Raises "<path>: ..." when
// the file does not fit it.
void applyDescription(ImportedTable& table, const DataSetDescription& description,
                      const std::string& path);

}  // namespace tessary
