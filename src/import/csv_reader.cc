#include "import/csv_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>

#include "frame/failure.h"
#include "frame/missing.h"
#include "platform/column_memory.h"
#include "platform/file.h"
#include "platform/text.h"

namespace tessary {
namespace {

bool isMissingToken(std::string_view cell) {
  return cell.empty() || cell == "NA" || cell == ".";
}

// A quoted field is taken literally: missing only when it is empty, so "NA", "." and
// blanks in quotes are texts.
bool isMissingCell(std::string_view field, bool quoted) {
  return quoted ? field.empty() : isMissingToken(trimBlanks(field));
}

// Walks the fields of the content, tracking physical lines for messages.
class CsvCursor {
 public:
  enum class End { kSeparator, kRecord };

  CsvCursor(std::string_view data, char separator, const std::string& fileName)
      : data_(data), separator_(separator), fileName_(fileName) {
    if (data_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;  // byte-order mark
  }

  bool atEnd() const { return pos_ >= data_.size(); }
  // Whether the field next() gave last was quoted.
  bool quotedField() const { return quoted_; }
  std::uint64_t line() const { return line_; }
  std::size_t position() const { return pos_; }

  // Skips lines holding nothing at all; false at the end of the content.
  bool skipBlankLines() {
    while (pos_ < data_.size()) {
      if (data_[pos_] == '\n') {
        ++pos_;
        ++line_;
      } else if (data_[pos_] == '\r' && pos_ + 1 < data_.size() && data_[pos_ + 1] == '\n') {
        pos_ += 2;
        ++line_;
      } else {
        return true;
      }
    }
    return false;
  }

  // The next field; `scratch` holds the text of a quoted field. `describe` names the
  // field's column in a message.
  template <class Describe>
  End next(std::string_view& field, std::string& scratch, const Describe& describe) {
    const char* const begin = data_.data();
    const std::size_t size = data_.size();
    quoted_ = pos_ < size && data_[pos_] == '"';
    if (quoted_) return quoted(field, scratch, describe);
    const std::size_t start = pos_;
    std::size_t i = pos_;
    const char separator = separator_;
    while (i < size && begin[i] != separator && begin[i] != '\n')
      ++i;
    std::size_t stop = i;
    if (stop > start && begin[stop - 1] == '\r' && (i == size || begin[i] == '\n')) --stop;
    field = std::string_view(begin + start, stop - start);
    return finish(i);
  }

 private:
  End finish(std::size_t i) {
    if (i < data_.size() && data_[i] == separator_) {
      pos_ = i + 1;
      return End::kSeparator;
    }
    pos_ = i < data_.size() ? i + 1 : i;
    if (i < data_.size()) ++line_;
    return End::kRecord;
  }

  template <class Describe>
  End quoted(std::string_view& field, std::string& scratch, const Describe& describe) {
    const std::uint64_t startLine = line_;
    scratch.clear();
    std::size_t i = pos_ + 1;
    for (;;) {
      const std::size_t quote = data_.find('"', i);
      if (quote == std::string_view::npos)
        raiseFailure(formatText("%s, line %llu, %s: the quoted field is not closed",
                                fileName_.c_str(), static_cast<unsigned long long>(startLine),
                                describe().c_str()));
      const std::string_view piece = data_.substr(i, quote - i);
      line_ += static_cast<std::uint64_t>(std::count(piece.begin(), piece.end(), '\n'));
      scratch.append(piece);
      if (quote + 1 < data_.size() && data_[quote + 1] == '"') {
        scratch += '"';
        i = quote + 2;
        continue;
      }
      i = quote + 1;
      break;
    }
    while (i < data_.size() && (data_[i] == ' ' || data_[i] == '\t') && data_[i] != separator_)
      ++i;
    if (i < data_.size() && data_[i] == '\r' && i + 1 < data_.size() && data_[i + 1] == '\n') ++i;
    if (i < data_.size() && data_[i] != separator_ && data_[i] != '\n')
      raiseFailure(formatText("%s, line %llu, %s: unexpected character '%c' after a closing quote",
                              fileName_.c_str(), static_cast<unsigned long long>(line_),
                              describe().c_str(), data_[i]));
    field = scratch;
    return finish(i);
  }

  std::string_view data_;
  char separator_;
  const std::string& fileName_;
  std::size_t pos_ = 0;
  std::uint64_t line_ = 1;
  bool quoted_ = false;
};

std::string columnText(std::size_t column, const std::vector<ImportedColumn>& columns) {
  std::string text = "column " + std::to_string(column + 1);
  if (column < columns.size()) text += " (" + columns[column].name + ")";
  return text;
}

std::vector<ImportedColumn> readHeader(CsvCursor& cursor, const std::string& fileName) {
  std::vector<ImportedColumn> columns;
  if (!cursor.skipBlankLines()) raiseFailure(fileName + ", line 1: the file has no header row");
  std::string scratch;
  std::map<std::string, std::size_t> seen;
  const std::uint64_t line = cursor.line();
  for (;;) {
    std::string_view field;
    const std::size_t index = columns.size();
    const auto end =
        cursor.next(field, scratch, [&] { return "column " + std::to_string(index + 1); });
    ImportedColumn column;
    column.name = std::string(trimBlanks(field));
    column.unnamed = column.name.empty();
    if (column.unnamed) column.name = "V" + std::to_string(index + 1);
    const auto [it, fresh] = seen.emplace(upperCase(column.name), index);
    if (!fresh)
      raiseFailure(
          formatText("%s, line %llu, column %zu (%s): the name is already used by "
                     "column %zu",
                     fileName.c_str(), static_cast<unsigned long long>(line), index + 1,
                     column.name.c_str(), it->second + 1));
    columns.push_back(std::move(column));
    if (end == CsvCursor::End::kRecord) break;
  }
  return columns;
}

// Visits every data cell as (column, text, quoted); raises on a record of the wrong
// width.
template <class Visit>
std::uint64_t forEachCell(CsvCursor& cursor, const std::vector<ImportedColumn>& columns,
                          const std::string& fileName, const ProgressCallback& progress,
                          std::uint64_t total, const Visit& visit) {
  const std::size_t width = columns.size();
  std::string scratch;
  std::uint64_t rows = 0;
  while (cursor.skipBlankLines()) {
    std::size_t column = 0;
    const std::uint64_t line = cursor.line();
    for (;;) {
      std::string_view field;
      const auto end = cursor.next(field, scratch, [&] { return columnText(column, columns); });
      if (column >= width)
        raiseFailure(
            formatText("%s, line %llu, column %zu: more fields than the %zu columns "
                       "of the header",
                       fileName.c_str(), static_cast<unsigned long long>(line), column + 1, width));
      visit(column, field, cursor.quotedField());
      ++column;
      if (end == CsvCursor::End::kRecord) break;
    }
    if (column < width)
      raiseFailure(formatText("%s, line %llu, %s: the record ends after %zu of %zu fields",
                              fileName.c_str(), static_cast<unsigned long long>(line),
                              columnText(column, columns).c_str(), column, width));
    ++rows;
    if (progress && rows % 65536 == 0) progress(cursor.position(), total);
  }
  return rows;
}

}  // namespace

char detectSeparator(std::string_view headerLine) {
  std::size_t commas = 0, semicolons = 0, tabs = 0;
  bool inQuotes = false;
  for (char c : headerLine) {
    if (c == '"') inQuotes = !inQuotes;
    if (inQuotes) continue;
    if (c == '\n') break;
    commas += c == ',';
    semicolons += c == ';';
    tabs += c == '\t';
  }
  if (semicolons > commas && semicolons >= tabs) return ';';
  if (tabs > commas && tabs > semicolons) return '\t';
  return ',';
}

bool parseNumberCell(std::string_view cell, char separator, double& value) {
  cell = trimBlanks(cell);
  if (isMissingToken(cell)) {
    value = MISSING;
    return true;
  }
  if (cell.size() > 1 && cell.front() == '+' && cell[1] != '-' && cell[1] != '+')
    cell.remove_prefix(1);
  const char* last = cell.data() + cell.size();
  auto [end, error] = std::from_chars(cell.data(), last, value);
  if (error != std::errc() || end != last) {
    // A decimal comma goes with the semicolon separator.
    if (separator != ';' || cell.size() > 64 || cell.find('.') != std::string_view::npos ||
        std::count(cell.begin(), cell.end(), ',') != 1)
      return false;
    char buffer[64];
    std::memcpy(buffer, cell.data(), cell.size());
    *std::find(buffer, buffer + cell.size(), ',') = '.';
    auto [end2, error2] = std::from_chars(buffer, buffer + cell.size(), value);
    if (error2 != std::errc() || end2 != buffer + cell.size()) return false;
  }
  if (!std::isfinite(value)) value = MISSING;
  return true;
}

ImportedTable parseCsv(std::string_view content, const std::string& fileName,
                       const ProgressCallback& progress) {
  const std::size_t headerStart = content.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  const char separator = detectSeparator(content.substr(headerStart));
  ImportedTable table;
  {
    CsvCursor cursor(content, separator, fileName);
    table.columns = readHeader(cursor, fileName);
    const std::size_t headerBytes = std::max<std::size_t>(cursor.position(), 1);
    const std::size_t guess = std::min<std::size_t>(content.size() / headerBytes + 16, 1u << 26);
    for (ImportedColumn& column : table.columns)
      column.numbers.reserve(guess);

    // First pass: numbers, and which columns turn out to hold text.
    std::vector<ImportedColumn>& columns = table.columns;
    table.rowCount = forEachCell(
        cursor, columns, fileName, progress, content.size(),
        [&](std::size_t column, std::string_view field, bool quoted) {
          ImportedColumn& target = columns[column];
          double value = MISSING;
          if (!target.isText && !isMissingCell(field, quoted) &&
              (isMissingToken(trimBlanks(field)) || !parseNumberCell(field, separator, value)))
            target.isText = true;
          target.numbers.push_back(value);
        });
  }
  if (table.rowCount == 0) raiseFailure(fileName + ": the file has no records below the header");

  const bool anyText = std::any_of(table.columns.begin(), table.columns.end(),
                                   [](const ImportedColumn& c) { return c.isText; });
  if (anyText) {
    // Second pass: the texts of the text columns only.
    CsvCursor cursor(content, separator, fileName);
    readHeader(cursor, fileName);
    for (ImportedColumn& column : table.columns) {
      if (!column.isText) continue;
      std::vector<double>().swap(column.numbers);
      column.texts.reserve(table.rowCount);
    }
    std::vector<ImportedColumn>& columns = table.columns;
    forEachCell(
        cursor, columns, fileName, {}, 0,
        [&](std::size_t column, std::string_view field, bool quoted) {
          ImportedColumn& target = columns[column];
          if (!target.isText) return;
          target.texts.emplace_back(isMissingCell(field, quoted) ? std::string_view() : field);
        });
  }
  if (progress) progress(content.size(), content.size());
  return table;
}

ImportedTable readCsvFile(const std::string& path, const ProgressCallback& progress) {
  auto cannotRead = [&] {
    raiseFailure(formatText("%s: can't read the file (%s)", path.c_str(),
                            systemErrorText(lastSystemError()).c_str()));
  };
  // Column memory: a large file costs neither a zero-fill nor a fault per small page.
  File file;
  if (!file.open(path, File::Mode::kRead)) cannotRead();
  const std::int64_t size = file.size();
  if (size < 0) cannotRead();
  ColumnBuffer<char> content(static_cast<std::size_t>(size));
  if (file.read(content.data(), content.size()) != content.size()) cannotRead();
  return parseCsv(std::string_view(content.data(), content.size()), path, progress);
}

}  // namespace tessary
