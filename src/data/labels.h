// Value labels of categorical variables, one profile section per variable in the
// data array's .daL file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/categorize.h"
#include "platform/profile.h"

namespace tessary {

// The section a variable's labels live in: '[' becomes '#', ']' becomes '$', spaces
// are dropped; at most 256 characters of the name count.
std::string labelSectionName(std::string_view variableName);

// The most levels an nLevels key may claim in a label file of `fileBytes` bytes: one
// per byte, and never more than a million. Codes without a key get a default label,
// so the count, not the file, decides what is built.
std::uint64_t mostLabelLevels(std::uint64_t fileBytes);

// A label file read once and indexed by section, so that the labels of many variables
// cost one read of the file.
class LabelFile {
 public:
  // Reads `path`; an absent file holds no labels.
  explicit LabelFile(std::string path);
  // Fills `labels` for the variable (an absent section leaves it empty). Raises when
  // its nLevels claims more levels than the file can describe.
  void labelsOf(std::string_view variableName, LabelMap& labels) const;

 private:
  std::string path_;
  ProfileFile profile_;
};

// The label file section of a variable holding `labels`, in the form that reads back to
// the same codes: code=label lines while they fit the part of a section that is read,
// else the numbered nLevels form. `complete` is false when neither form reads every
// label back.
std::string labelSection(std::string_view variableName, const LabelMap& labels, bool& complete);

// Fills `labels` from `labelFile` for one variable (the file is read for this call).
void loadLabels(const std::string& labelFile, std::string_view variableName, LabelMap& labels);

}  // namespace tessary
