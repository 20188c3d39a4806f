#include "data/cda.h"

#include <algorithm>
#include <cmath>

#include "frame/failure.h"
#include "frame/missing.h"
#include "platform/error_state.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace tessary {
namespace {

// The .daA line buffer holds 1023 characters and its terminator.
constexpr std::size_t kLineBuffer = 1024;
constexpr int kMostLines = 5;

std::vector<std::string> readDescriptionLines(const std::string& path, bool& found) {
  File file;
  found = file.open(path, File::Mode::kRead);
  if (!found) {
    const int code = lastSystemError();
    if (isMissingFileError(code)) return {};
    raiseFailure(formatText("Can't open file (%s) to read. \nERROR CODE: %d", path.c_str(), code));
  }
  // Five full lines and their line feeds are the most that can matter.
  std::string content(kMostLines * (kLineBuffer + 1), '\0');
  content.resize(file.read(content.data(), content.size()));
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (lines.size() < kMostLines && start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    if (end - start >= kLineBuffer)
      raiseFailure(formatText("CDA: line %zu of %s is longer than %zu characters.\n",
                              lines.size() + 1, path.c_str(), kLineBuffer - 1));
    lines.push_back(content.substr(start, end - start));
    start = end + 1;
  }
  while (!lines.empty() && lines.back().empty())
    lines.pop_back();
  return lines;
}

std::string withoutExtension(std::string_view path) {
  return std::string(path.substr(0, std::min(path.size(), path.rfind('.'))));
}

}  // namespace

CDA::CDA(const std::string& daaPath) {
  bool found = false;
  std::vector<std::string> lines = readDescriptionLines(daaPath, found);
  if (lines.empty()) return;
  const std::string home = directoryOf(daaPath);
  for (std::string& line : lines)
    if (!line.empty()) line = resolveAgainst(home, line);
  auto refPath = [](const std::string& line) {
    const std::string rest = withoutExtension(line);
    return RefPath{directoryOf(rest), baseNameOf(rest)};
  };
  empty_ = false;
  levels_[0].open(lines[0]);
  if (lines.size() < 2 || lines[1].empty())
    raiseFailure(".daA file is incomplete (missing cluster header)");
  levels_[1].open(lines[1]);
  if (lines.size() < 3 || lines[2].empty())
    raiseFailure(".daA file is incomplete (missing dataRef)");
  clusterRefPath_ = refPath(lines[2]);
  if (lines.size() >= 4 && !lines[3].empty()) {
    auxPresent_ = true;
    levels_[2].open(lines[3]);
    if (lines.size() < 5 || lines[4].empty())
      raiseFailure(".daA file is incomplete (missing aux dataRef line)");
    auxRefPath_ = refPath(lines[4]);
  }
}

void CDA::load() {
  levels_[0].loadHeader();
  maxRecordCount_ = levels_[0].recordCount;
  if (empty_) return;
  levels_[1].loadHeader();
  clusterRef_.load(clusterRefPath_.directory, clusterRefPath_.baseName);
  maxRecordCount_ = std::max(maxRecordCount_, levels_[1].recordCount);
  if (auxPresent_) {
    levels_[2].loadHeader();
    auxRef_.load(auxRefPath_.directory, auxRefPath_.baseName);
    maxRecordCount_ = std::max(maxRecordCount_, levels_[2].recordCount);
  }
}

bool CDA::presentAt(int level, std::string_view name) const {
  if (level == 2 && !auxPresent_) return false;
  const VariableRecord* record = levels_[level].find(name);
  return record != nullptr && record->kind != 'E' && record->validCount >= 0;
}

int CDA::storedLevel(std::string_view name) const {
  for (int level = std::max(cursor, 0); level <= 2; ++level)
    if (presentAt(level, name)) return level;
  return -1;
}

int CDA::sourceLevel(std::string_view name) const {
  if (cursor < 0 || cursor > 2) raiseFailure("Invalid cursor.\n");
  const int level = storedLevel(name);
  if (level < 0) raiseFailure("Variable: " + std::string(name) + " not found.");
  return level;
}

std::size_t expandThroughRef(const DataRef& ref, std::span<const double> coarse,
                             std::span<double> out, std::int64_t fromRec, std::int64_t toRec) {
  const std::int64_t first = fromRec - 1;  // 0-based finer records first..last
  const std::int64_t last = toRec - 1;
  std::uint64_t p = 0;
  std::int64_t c = 0;
  std::size_t k = 0;
  for (std::size_t i = 0; i < ref.entryCount() && c <= last; ++i) {
    if (ref.skip(i)) continue;
    const std::uint64_t np = ref.parentCount(i);
    const std::int64_t nc = ref.childCount(i);
    if (nc > 0 && np > 0 && p + np > coarse.size())
      raiseFailure(formatText("DataRef %s names more records than its coarser level holds (%zu).\n",
                              ref.path().c_str(), coarse.size()));
    // Finer records before the range only advance the counters.
    const std::int64_t skipped = std::clamp<std::int64_t>(first - c, 0, nc);
    for (std::int64_t j = skipped; j < nc && c + j <= last; ++j) {
      if (k >= out.size()) break;
      double value = MISSING;
      if (np == 1)
        value = coarse[p];
      else if (np > 1)
        value = coarse[p + static_cast<std::uint64_t>(j) % np];
      out[k++] = value;
    }
    c += nc;
    p += np;
  }
  return k;
}

void CDA::spreadCoarse(int level, std::span<double> out, std::int64_t fromRec, std::int64_t toRec) {
  std::span<const double> values(coarse_.data(), coarse_.size());
  if (level == 2 && cursor == 0) {
    // Auxiliary values spread over every cluster first, then over the households.
    levels_[1].requireRecordCountFitsValueFile();
    middle_.resize(levels_[1].recordCount);
    std::fill(middle_.begin(), middle_.end(), MISSING);
    expandThroughRef(auxRef_, values, std::span<double>(middle_.data(), middle_.size()), 1,
                     levels_[1].recordCount);
    values = std::span<const double>(middle_.data(), middle_.size());
  }
  expandThroughRef(level == 2 && cursor == 1 ? auxRef_ : clusterRef_, values, out, fromRec, toRec);
}

int CDA::getValue(std::string_view name, std::span<double> out, std::int64_t fromRec,
                  std::int64_t toRec) {
  if (name.empty()) raiseFailure("CDA::getValue:Variable name is empty");
  if (fromRec > toRec)
    raiseFailure(formatText("CDA::getValue:FromRec %lld > ToRec %lld.",
                            static_cast<long long>(fromRec), static_cast<long long>(toRec)));
  const int level = sourceLevel(name);
  if (level == cursor) return levels_[level].getValue(name, out, fromRec, toRec);
  if (out.size() < static_cast<std::uint64_t>(toRec - fromRec + 1))
    raiseFailure("CDA::getValue: INVALID ADDRESS");
  const int result = levels_[level].readColumn(name, coarse_);
  spreadCoarse(level, out, fromRec, toRec);
  return result;
}

int CDA::getCategory(std::string_view name, std::span<double> out, std::int64_t fromRec,
                     std::int64_t toRec, std::vector<Category>& categories, const double* weights,
                     bool renumber, int baseCode) {
  if (fromRec > toRec)
    raiseFailure(formatText("CDA::getCategory:FromRec %lld > ToRec %lld.",
                            static_cast<long long>(fromRec), static_cast<long long>(toRec)));
  const int level = sourceLevel(name);
  DataArray& source = levels_[level];
  if (level == cursor)
    return source.getCategory(name, out, fromRec, toRec, categories, weights, renumber, baseCode);
  if (out.size() < static_cast<std::uint64_t>(toRec - fromRec + 1))
    raiseFailure("CDA::getCategory: INVALID ADDRESS");
  // Categorised where the variable lives, then spread like any coarser value.
  source.requireRecordCountFitsValueFile();
  coarse_.resize(source.recordCount);
  const int result =
      source.getCategory(name, std::span<double>(coarse_.data(), coarse_.size()), 1,
                         source.recordCount, categories, weights, renumber, baseCode);
  spreadCoarse(level, out, fromRec, toRec);
  return result;
}

int CDA::getValueWhere(std::string_view name, std::span<double> out, const double* weights,
                       std::int64_t& count, std::int64_t fromRec, std::int64_t toRec) {
  if (weights == nullptr) raiseFailure("CDA::getValueWhere: no weights given.\n");
  const int result = getValue(name, out, fromRec, toRec);
  const std::int64_t n = toRec - fromRec + 1;
  std::int64_t kept = 0;
  for (std::int64_t i = 0; i < n; ++i) {
    if (std::isfinite(weights[i]) && weights[i] == 1.0) out[kept++] = out[i];
  }
  count = kept;
  return result;
}

}  // namespace tessary
