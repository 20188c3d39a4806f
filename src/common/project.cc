#include "common/project.h"

#include <algorithm>
#include <cstdlib>

#include "frame/failure.h"
#include "platform/error_state.h"
#include "platform/paths.h"
#include "platform/presenter.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace tessary {
namespace {

// Every value is read through a buffer of 256 bytes.
constexpr std::size_t kValueBuffer = 256;
constexpr const char* kSourceName = "common/CProject";

std::vector<std::string> splitList(const std::string& text) {
  std::vector<std::string> entries;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string entry(trimBlanks(std::string_view(text).substr(start, comma - start)));
    if (!entry.empty()) entries.push_back(entry);
    start = comma + 1;
  }
  return entries;
}

std::vector<int> levelList(const std::string& text) {
  std::vector<int> levels;
  for (const std::string& entry : splitList(text))
    levels.push_back(static_cast<int>(std::strtol(entry.c_str(), nullptr, 10)));
  return levels;
}

// The project path with the extension of its base name replaced by ".gmk".
std::string defaultMaskFile(const std::string& projectPath) {
  const std::size_t base = projectPath.size() - baseNameOf(projectPath).size();
  std::size_t dot = projectPath.rfind('.');
  if (dot == std::string::npos || dot < base) dot = projectPath.size();
  return projectPath.substr(0, dot) + ".gmk";
}

}  // namespace

std::string CProject::readKey(const char* section, const char* key, const char* fallback) const {
  return profileString(path, section, key, fallback, kValueBuffer);
}

std::string CProject::absolute(const std::string& file) const {
  if (file.empty()) raiseFailure(file + "length<=0");
  return resolveAgainst(directory, file);
}

void CProject::readKeys(int& marker) {
  type =
      static_cast<std::uint8_t>(std::strtol(readKey("PROJECT", "Type", "0").c_str(), nullptr, 10));
  marker = 99;
  selectedCount =
      std::max(0L, std::strtol(readKey("SelectedVars", "Number", "0").c_str(), nullptr, 10));
  marker = 111;
  householdSizeVariable = readKey("DataArray", "HHSizeVar");
  marker = 120;
  surveyPath = readKey("DataArray", "Survey");
  marker = 129;
  if (!surveyPath.empty()) surveyPath = absolute(surveyPath);
  marker = 136;
  survey_.bindCombined(surveyPath);
  marker = 139;
  censusPath = readKey("DataArray", "Census");
  if (!censusPath.empty()) censusPath = absolute(censusPath);
  census_.bindCombined(censusPath);
  betaModelName = readKey("Session", "betaModelName");
  alphaModelName = readKey("Session", "alphaModelName");
  for (int i = 0; i < 2; ++i) {
    const std::string suffix = std::to_string(i);
    betaModelNames[i] = readKey("Session", ("betaModelName" + suffix).c_str());
    if (!betaModelNames[i].empty()) betaModelNames[i] = absolute(betaModelNames[i]);
    alphaModelNames[i] = readKey("Session", ("alphaModelName" + suffix).c_str());
    if (!alphaModelNames[i].empty()) alphaModelNames[i] = absolute(alphaModelNames[i]);
  }
  marker = 223;
  scriptFile = readKey("PROJECT", "scriptFile");
  if (!scriptFile.empty()) scriptFile = absolute(scriptFile);
  marker = 241;
  outputFile = readKey("SimCFG", "Outputfile");
  if (!outputFile.empty()) outputFile = absolute(outputFile);
  marker = 259;
  maskFile = readKey("PROJECT", "MaskFile");
  if (maskFile.empty()) {
    maskFile = defaultMaskFile(path);
    writeProfileString(path, "PROJECT", "MaskFile", maskFile);
  }
  maskFile = absolute(maskFile);
  marker = 287;
  surveyFilter = readKey("Survey", "Filters");
  selectedVariables = splitList(readKey("SelectedVars", "VarList"));
  marker = 316;
  surveyLevels = levelList(readKey("SelectedVars", "SPosition"));
  censusLevels = levelList(readKey("SelectedVars", "CPosition"));
}

void CProject::_init(const std::string& projectPath) {
  int marker = 75;
  try {
    path = projectPath;
    directory = directoryOf(projectPath);
    clearSystemError();
    readKeys(marker);
    projectReady_ = true;
  } catch (...) {
    const InitReport report = describeInitFailure(std::current_exception(), marker);
    presentMessage(nullptr, report.text, "CProject::_init()", report.style);
  }
}

CProject::InitReport CProject::describeInitFailure(std::exception_ptr failure, int marker) {
  const int systemError = lastSystemError();
  try {
    std::rethrow_exception(failure);
  } catch (const Failure& message) {
    return {formatText("%s\nAfter successfully executing line: %i\nIn file: %s.",
                       message.text().c_str(), marker, kSourceName),
            kStyleIconInformation};
  } catch (...) {
  }
  if (isAccessDeniedError(systemError))
    return {
        "Access is denied.\nDon't try to open a project from a CD/DVD,\nor other security area "
        "in network.\n\nBy the way, tell Vesk I still love her.",
        kStyleIconError};
  if (systemError != 0) return {systemErrorText(systemError), kStyleIconInformation};
  return {formatText("Unexpected error occurs. \nAfter successfully executing line: %i\nIn file: "
                     "%s.\nProcessing:",
                     marker, kSourceName),
          kStyleIconInformation};
}

void CProject::loadSurveyCDA() {
  loadData(survey_, "CProject::loadSurveyCDA: loading error.\n");
  surveyReady_ = true;
}

void CProject::loadCensusCDA() {
  loadData(census_, "CProject::loadCensusCDA: loading error.\n");
  censusReady_ = true;
}

void CProject::loadData(DataSet& data, const char* failure) {
  try {
    if (!data.combined()) raiseFailure(failure);
    data.load();
  } catch (const Failure&) {
    raiseFailure(failure);
  }
}

void CProject::selectIn(DataSet& data, const std::vector<int>& levels, unsigned levelMask) {
  for (int level = 0; level < 3; ++level)
    for (auto& [name, record] : data.header(level).variables())
      record.selected = 0;
  for (std::size_t i = 0; i < selectedVariables.size(); ++i) {
    const int level = i < levels.size() ? levels[i] : 0;
    if (level < 0 || level > 2)
      raiseFailure(formatText("Variable %s: level %d is not 0, 1 or 2.\n",
                              selectedVariables[i].c_str(), level));
    if ((levelMask >> level) & 1u) continue;
    data.header(level).select(selectedVariables[i]);
  }
}

void CProject::setSelectedVars(unsigned levelMask) {
  throwUnless(projectReady_,
              "Project object is not ready. \nPlease call its _init(...) method first.");
  throwUnless(surveyReady_,
              "Survey object is not ready. \nPlease call its loadSurveyCDA(...) method first.");
  try {
    selectIn(survey_, surveyLevels, levelMask);
    if ((type == 0 || type == 2) && censusReady_) selectIn(census_, censusLevels, levelMask);
  } catch (const Failure& failure) {
    raiseFailure("CProject::setSelectedVars()::\n" + failure.text());
  } catch (...) {
    raiseFailure("CProject::setSelectedVars()::\nUnknown error occured.\n");
  }
}

}  // namespace tessary
