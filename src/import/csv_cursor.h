// Walks the fields of CSV content, tracking physical lines for messages. A cursor may
// start anywhere a record starts (a chunk of the file), given that position's line.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "frame/failure.h"
#include "platform/text.h"

namespace tessary {

class CsvCursor {
 public:
  enum class End { kSeparator, kRecord };

  CsvCursor(std::string_view data, char separator, const std::string& fileName)
      : data_(data), separator_(separator), fileName_(fileName) {
    if (data_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;  // byte-order mark
  }
  CsvCursor(std::string_view data, char separator, const std::string& fileName, std::size_t start,
            std::uint64_t line)
      : data_(data), separator_(separator), fileName_(fileName), pos_(start), line_(line) {}

  bool atEnd() const { return pos_ >= data_.size(); }
  // Whether the field next() gave last was quoted.
  bool quotedField() const { return quoted_; }
  std::uint64_t line() const { return line_; }
  std::size_t position() const { return pos_; }
  // With `watch`, fields that are not quoted are checked for quotes inside them
  // (strayQuotes() then tells whether any was seen).
  void watchStrayQuotes(bool watch) { watchStrayQuotes_ = watch; }
  bool strayQuotes() const { return strayQuotes_; }

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
    if (watchStrayQuotes_ && field.find('"') != std::string_view::npos) strayQuotes_ = true;
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
  bool watchStrayQuotes_ = false;
  bool strayQuotes_ = false;
};

}  // namespace tessary
