#include "data/labels.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "frame/failure.h"
#include "platform/text.h"

namespace tessary {
namespace {

// The code=label form reads no more of a section than this.
constexpr std::size_t kSectionBytes = 6000;
// The nLevels form is read from the whole section.
constexpr std::uint64_t kMostLevels = 1000000;
constexpr std::size_t kWholeSection = std::size_t{1} << 30;

// A key's value as the profile reader gives it: trimmed, one pair of quotes removed.
std::string profileValue(std::string_view value) {
  value = trimBlanks(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

}  // namespace

std::string labelSectionName(std::string_view variableName) {
  std::string section;
  for (char c : variableName.substr(0, std::min<std::size_t>(variableName.size(), 256))) {
    if (c == '[')
      section += '#';
    else if (c == ']')
      section += '$';
    else if (c != ' ')
      section += c;
  }
  return section;
}

std::uint64_t mostLabelLevels(std::uint64_t fileBytes) {
  return std::min(fileBytes, kMostLevels);
}

LabelFile::LabelFile(std::string path) : path_(std::move(path)) {
  profile_.load(path_);
}

void LabelFile::labelsOf(std::string_view variableName, LabelMap& labels) const {
  labels.clear();
  const std::string section = labelSectionName(variableName);
  const auto count = profile_.value(section, "nLevels");
  const long levels = count ? std::strtol(count->c_str(), nullptr, 10) : 0;
  if (levels > 0) {
    if (static_cast<std::uint64_t>(levels) > mostLabelLevels(profile_.bytes()))
      raiseFailure(
          formatText("%s: the labels of %s claim %ld levels, more than a file of "
                     "%llu bytes can describe.\n",
                     path_.c_str(), section.c_str(), levels,
                     static_cast<unsigned long long>(profile_.bytes())));
    // Keys 1..n, the first line of a key counting; absent keys get "L<k>".
    std::map<std::string, std::string> keyed;
    for (const std::string& line : profile_.section(section, kWholeSection)) {
      const std::size_t eq = line.find('=');
      if (eq == std::string::npos) continue;
      const std::string key(trimBlanks(std::string_view(line).substr(0, eq)));
      if (key.empty() || key.find_first_not_of("0123456789") != std::string::npos) continue;
      keyed.emplace(key, profileValue(std::string_view(line).substr(eq + 1)));
    }
    for (int code = 1; code <= static_cast<int>(levels); ++code) {
      auto it = keyed.find(std::to_string(code));
      labels[code] = it != keyed.end() ? it->second : "L" + std::to_string(code);
    }
    return;
  }
  for (const std::string& line : profile_.section(section, kSectionBytes)) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    labels[static_cast<int>(std::strtol(line.c_str(), nullptr, 10))] = line.substr(eq + 1);
  }
}

namespace {

// A label as one line of the label file: line feeds (which no line can hold) and NULs
// become blanks.
std::string oneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  std::replace(text.begin(), text.end(), '\0', ' ');
  return text;
}

// A label of the numbered form as the reader gives it back: the profile reader trims a
// value's outer blanks (carriage returns included) and takes off one pair of enclosing
// quotes, so a label with either is written in quotes.
std::string numberedFormValue(const std::string& label) {
  if (label.empty()) return label;
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  const bool enclosed = label.size() >= 2 && label.front() == label.back() &&
                        (label.front() == '"' || label.front() == '\'');
  if (blank(label.front()) || blank(label.back()) || enclosed) return '"' + label + '"';
  return label;
}

}  // namespace

std::string labelSection(std::string_view variableName, const LabelMap& labels, bool& complete) {
  complete = true;
  std::string out = "[" + labelSectionName(upperCase(variableName)) + "]\n";
  if (labels.empty()) return out;
  const int lowest = labels.begin()->first;
  const int highest = labels.rbegin()->first;
  const bool numbered = lowest == 1 && static_cast<std::size_t>(highest) == labels.size();

  std::string pairs;
  std::size_t budget = 2;
  for (const auto& [code, label] : labels) {
    const std::string line = std::to_string(code) + "=" + oneLine(label);
    budget += line.size() + 1;
    pairs += line + "\n";
  }
  const bool pairsFit = budget <= kSectionBytes;
  if (!numbered && pairsFit) return out + pairs;
  // The file holds at least these pairs, and a reader believes no more levels than that.
  if (lowest >= 1 && static_cast<std::uint64_t>(highest) <= mostLabelLevels(pairs.size())) {
    // Numbered form: read whole; codes without a label read back as "L<code>".
    out += "nLevels=" + std::to_string(highest) + "\n";
    for (const auto& [code, label] : labels)
      out += std::to_string(code) + "=" + numberedFormValue(oneLine(label)) + "\n";
    return out;
  }
  complete = false;
  return out + pairs;
}

void loadLabels(const std::string& labelFile, std::string_view variableName, LabelMap& labels) {
  LabelFile(labelFile).labelsOf(variableName, labels);
}

}  // namespace tessary
