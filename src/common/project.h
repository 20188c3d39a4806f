// The project file: an INI file naming the survey and census combined data arrays, the
// selected model variables with the levels that hold them, the model files of the
// welfare ("beta") and heteroskedasticity ("alpha") stages, a script, a simulation
// output file and a global mask.
//
// Readings taken where the file format leaves a choice:
//  - only non-empty paths are made absolute; an empty Survey or Census key gives an
//    empty combined data array, an empty model, script or output path stays empty;
//  - VarList, SPosition and CPosition are split at commas, blanks around an entry
//    dropped; a name without a level entry belongs to level 0, and a level outside
//    0..2 makes setSelectedVars fail with a message naming the variable;
//  - the four model names are kept as read; the regression code says which it opens.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "data/data_set.h"

namespace tessary {

class CProject {
 public:
  CProject() = default;
  CProject(const CProject&) = delete;
  CProject& operator=(const CProject&) = delete;

  // Reads the project file and constructs both combined data arrays (headers are not
  // loaded). A failure is shown to the user in a message box captioned
  // "CProject::_init()" and ends the call; nothing is thrown.
  void _init(const std::string& projectPath);

  // Loads the survey combined data array; raises "CProject::loadSurveyCDA: loading
  // error.\n" when it cannot be loaded.
  void loadSurveyCDA();
  // The same for the census side (its selection is applied only once it is loaded).
  void loadCensusCDA();

  // Marks the selected variables in the headers of the survey (and, for project types
  // 0 and 2 once loaded, the census) levels, skipping the levels whose bit is set in
  // levelMask. Raises a message when the project or the survey is not ready or a
  // variable is not in its level.
  void setSelectedVars(unsigned levelMask);

  bool projectReady() const { return projectReady_; }
  bool surveyReady() const { return surveyReady_; }
  bool censusReady() const { return censusReady_; }
  DataSet& survey() { return survey_; }
  DataSet& census() { return census_; }

  // The text shown when _init fails with `failure` after reaching `marker`.
  struct InitReport {
    std::string text;
    unsigned int style;
  };
  static InitReport describeInitFailure(std::exception_ptr failure, int marker);

  std::string path;
  std::string directory;  // up to and including the last separator
  std::uint8_t type = 0;
  int selectedCount = 0;
  std::string householdSizeVariable;
  std::string surveyPath;
  std::string censusPath;
  std::string betaModelName;
  std::string alphaModelName;
  std::string betaModelNames[2];
  std::string alphaModelNames[2];
  std::string scriptFile;
  std::string outputFile;
  std::string maskFile;
  std::string surveyFilter;
  std::vector<std::string> selectedVariables;
  std::vector<int> surveyLevels;
  std::vector<int> censusLevels;

 private:
  void readKeys(int& marker);
  std::string readKey(const char* section, const char* key, const char* fallback = "") const;
  std::string absolute(const std::string& file) const;
  static void loadData(DataSet& data, const char* failure);
  void selectIn(DataSet& data, const std::vector<int>& levels, unsigned levelMask);

  DataSet survey_;
  DataSet census_;
  bool projectReady_ = false;
  bool surveyReady_ = false;
  bool censusReady_ = false;
};

}  // namespace tessary
