#include "platform/profile.h"

#include <cstdlib>
#include <optional>

#include "platform/file.h"

namespace tessary {
namespace {

std::string_view trim(std::string_view s) {
  const char* kBlanks = " \t\r\n";
  std::size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  std::size_t last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

// One file split into lines, each without its line end.
struct ProfileText {
  std::vector<std::string> lines;
  std::string lineEnd = "\n";

  bool load(std::string_view file) {
    std::string content;
    if (!readWholeFile(file, content)) return false;
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
    return true;
  }

  // The name of the section a "[name]" line opens.
  static std::optional<std::string_view> sectionName(std::string_view line) {
    std::string_view t = trim(line);
    if (t.empty() || t.front() != '[') return std::nullopt;
    std::size_t close = t.find(']');
    std::string_view name = t.substr(1, close == std::string_view::npos ? t.size() - 1 : close - 1);
    return trim(name);
  }

  // [first, last) line range of the section's body; nullopt when absent.
  std::optional<std::pair<std::size_t, std::size_t>> find(std::string_view section) const {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      auto name = sectionName(lines[i]);
      if (!name || !sameName(*name, trim(section))) continue;
      std::size_t end = i + 1;
      while (end < lines.size() && !sectionName(lines[end]))
        ++end;
      return std::make_pair(i + 1, end);
    }
    return std::nullopt;
  }

  std::optional<std::size_t> findKey(std::size_t first, std::size_t last,
                                     std::string_view key) const {
    for (std::size_t i = first; i < last; ++i) {
      std::string_view line = lines[i];
      std::size_t eq = line.find('=');
      if (eq != std::string_view::npos && sameName(trim(line.substr(0, eq)), trim(key))) return i;
    }
    return std::nullopt;
  }
};

std::optional<std::string> lookUp(std::string_view file, std::string_view section,
                                  std::string_view key) {
  ProfileText text;
  if (!text.load(file)) return std::nullopt;
  auto body = text.find(section);
  if (!body) return std::nullopt;
  auto at = text.findKey(body->first, body->second, key);
  if (!at) return std::nullopt;
  std::string_view line = text.lines[*at];
  std::string_view value = trim(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

}  // namespace

std::string profileString(std::string_view file, std::string_view section, std::string_view key,
                          std::string_view fallback, std::size_t bufferSize) {
  std::string value = lookUp(file, section, key).value_or(std::string(trim(fallback)));
  if (bufferSize == 0) return {};
  if (value.size() > bufferSize - 1) value.resize(bufferSize - 1);
  return value;
}

int profileInt(std::string_view file, std::string_view section, std::string_view key,
               int fallback) {
  auto value = lookUp(file, section, key);
  if (!value) return fallback;
  return static_cast<int>(std::strtol(value->c_str(), nullptr, 10));
}

std::vector<std::string> profileSection(std::string_view file, std::string_view section,
                                        std::size_t bufferSize) {
  std::vector<std::string> out;
  ProfileText text;
  if (bufferSize < 2 || !text.load(file)) return out;
  auto body = text.find(section);
  if (!body) return out;
  std::size_t room = bufferSize - 2;
  for (std::size_t i = body->first; i < body->second && room > 0; ++i) {
    std::string_view line = trim(text.lines[i]);
    if (line.empty()) continue;
    if (line.size() + 1 > room) line = line.substr(0, room - 1);
    room -= line.size() + 1;
    out.emplace_back(line);
  }
  return out;
}

bool writeProfileString(std::string_view file, std::string_view section, std::string_view key,
                        std::string_view value) {
  ProfileText text;
  text.load(file);  // a missing file starts empty
  std::string entry = std::string(trim(key)) + "=" + std::string(value);
  auto body = text.find(section);
  if (!body) {
    text.lines.push_back("[" + std::string(trim(section)) + "]");
    text.lines.push_back(entry);
  } else if (auto at = text.findKey(body->first, body->second, key)) {
    std::string& line = text.lines[*at];
    line = std::string(trim(line.substr(0, line.find('=')))) + "=" + std::string(value);
  } else {
    // After the section's last non-blank line, so a blank separator line stays last.
    std::size_t insert = body->second;
    while (insert > body->first && trim(text.lines[insert - 1]).empty())
      --insert;
    text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(insert), entry);
  }
  std::string content;
  for (const std::string& line : text.lines)
    content += line + text.lineEnd;
  return writeWholeFile(file, content);
}

}  // namespace tessary
