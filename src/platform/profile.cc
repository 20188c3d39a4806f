#include "platform/profile.h"

#include <cstdlib>

#include "platform/file.h"
#include "platform/text.h"

namespace tessary {
namespace {

std::string_view trim(std::string_view s) {
  return trimBlanks(s, " \t\r\n");
}

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && upperCase(a) == upperCase(b);
}

// The name of the section a "[name]" line opens.
std::optional<std::string_view> sectionName(std::string_view line) {
  std::string_view t = trim(line);
  if (t.empty() || t.front() != '[') return std::nullopt;
  std::size_t close = t.find(']');
  std::string_view name = t.substr(1, close == std::string_view::npos ? t.size() - 1 : close - 1);
  return trim(name);
}

// The line of `key` within lines [first, last).
std::optional<std::size_t> findKey(const std::vector<std::string>& lines, std::size_t first,
                                   std::size_t last, std::string_view key) {
  for (std::size_t i = first; i < last; ++i) {
    std::string_view line = lines[i];
    std::size_t eq = line.find('=');
    if (eq != std::string_view::npos && sameName(trim(line.substr(0, eq)), trim(key))) return i;
  }
  return std::nullopt;
}

}  // namespace

bool ProfileFile::load(std::string_view file) {
  lines.clear();
  sections_.clear();
  bytes_ = 0;
  std::string content;
  if (!readWholeFile(file, content)) return false;
  bytes_ = content.size();
  if (content.find("\r\n") != std::string::npos) lineEnd = "\r\n";
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  // Each section's body runs to the next section line; a repeated name keeps the first.
  std::optional<std::string> open;
  for (std::size_t i = 0; i <= lines.size(); ++i) {
    auto name = i < lines.size() ? sectionName(lines[i]) : std::optional<std::string_view>("");
    if (!name) continue;
    if (open) sections_[*open].last = i;
    open.reset();
    if (i == lines.size()) break;
    const std::string key = upperCase(*name);
    if (sections_.count(key) == 0) {
      sections_[key] = Body{i + 1, i + 1};
      open = key;
    }
  }
  return true;
}

std::optional<ProfileFile::Body> ProfileFile::find(std::string_view section) const {
  auto it = sections_.find(upperCase(trim(section)));
  if (it == sections_.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> ProfileFile::value(std::string_view section,
                                              std::string_view key) const {
  auto body = find(section);
  if (!body) return std::nullopt;
  auto at = findKey(lines, body->first, body->last, key);
  if (!at) return std::nullopt;
  std::string_view line = lines[*at];
  std::string_view value = trim(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

std::vector<std::string> ProfileFile::section(std::string_view section,
                                              std::size_t bufferSize) const {
  std::vector<std::string> out;
  auto body = find(section);
  if (bufferSize < 2 || !body) return out;
  std::size_t room = bufferSize - 2;
  for (std::size_t i = body->first; i < body->last && room > 0; ++i) {
    std::string_view line = trim(lines[i]);
    if (line.empty()) continue;
    if (line.size() + 1 > room) line = line.substr(0, room - 1);
    room -= line.size() + 1;
    out.emplace_back(line);
  }
  return out;
}

std::string profileString(std::string_view file, std::string_view section, std::string_view key,
                          std::string_view fallback, std::size_t bufferSize) {
  ProfileFile profile;
  profile.load(file);
  std::string value = profile.value(section, key).value_or(std::string(trim(fallback)));
  if (bufferSize == 0) return {};
  if (value.size() > bufferSize - 1) value.resize(bufferSize - 1);
  return value;
}

int profileInt(std::string_view file, std::string_view section, std::string_view key,
               int fallback) {
  ProfileFile profile;
  profile.load(file);
  auto value = profile.value(section, key);
  if (!value) return fallback;
  return static_cast<int>(std::strtol(value->c_str(), nullptr, 10));
}

std::vector<std::string> profileSection(std::string_view file, std::string_view section,
                                        std::size_t bufferSize) {
  ProfileFile profile;
  profile.load(file);
  return profile.section(section, bufferSize);
}

bool writeProfileString(std::string_view file, std::string_view section, std::string_view key,
                        std::string_view value) {
  ProfileFile text;
  text.load(file);  // a missing file starts empty
  std::string entry = std::string(trim(key)) + "=" + std::string(value);
  std::vector<std::string>& lines = text.lines;
  auto body = text.find(section);
  if (!body) {
    lines.push_back("[" + std::string(trim(section)) + "]");
    lines.push_back(entry);
  } else if (auto at = findKey(lines, body->first, body->last, key)) {
    std::string& line = lines[*at];
    line = std::string(trim(line.substr(0, line.find('=')))) + "=" + std::string(value);
  } else {
    // After the section's last non-blank line, so a blank separator line stays last.
    std::size_t insert = body->last;
    while (insert > body->first && trim(lines[insert - 1]).empty())
      --insert;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert), entry);
  }
  std::string content;
  for (const std::string& line : lines)
    content += line + text.lineEnd;
  return writeWholeFile(file, content);
}

}  // namespace tessary
