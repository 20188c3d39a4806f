#include "import/csv_reader.h"

#include <algorithm>
#include <exception>
#include <map>
#include <optional>

#include "frame/failure.h"
#include "frame/missing.h"
#include "import/csv_chunks.h"
#include "import/csv_cursor.h"
#include "platform/column_memory.h"
#include "platform/file.h"
#include "platform/mapped_file.h"
#include "platform/parallel.h"
#include "platform/text.h"

namespace tessary {
namespace {

// A quoted field is taken literally: missing only when it is empty, so "NA", "." and
// blanks in quotes are texts.
bool isMissingCell(std::string_view field, bool quoted) {
  return quoted ? field.empty() : isMissingToken(trimCell(field));
}

CellReading readField(std::string_view field, bool quoted, char separator, double& value) {
  const CellReading reading = readCell(field, separator, value);
  if (quoted && reading == CellReading::kMissing && !field.empty() &&
      isMissingToken(trimCell(field)))
    return CellReading::kText;
  return reading;
}

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

// What parsing needs to know of the file.
struct CsvLayout {
  std::string_view content;
  const std::string& fileName;
  char separator;
  const std::vector<ImportedColumn>& columns;
  const std::vector<ColumnType>& types;
  bool quotes;  // watch for quotes inside unquoted fields
};

// Visits every data cell of `chunk` as (column, text, quoted, line); raises on a
// record of the wrong width. Returns the number of records; `lineFeeds` receives the
// chunk's line feeds.
template <class Visit>
std::uint64_t forEachCell(const CsvLayout& layout, const CsvChunk& chunk, bool& strayQuotes,
                          std::uint64_t& lineFeeds, const Visit& visit) {
  CsvCursor cursor(layout.content, layout.separator, layout.fileName, chunk.begin, chunk.line);
  cursor.watchStrayQuotes(layout.quotes);
  const std::vector<ImportedColumn>& columns = layout.columns;
  const std::size_t width = columns.size();
  std::string scratch;
  std::uint64_t rows = 0;
  while (cursor.skipBlankLines() && cursor.position() < chunk.end) {
    std::size_t column = 0;
    const std::uint64_t line = cursor.line();
    for (;;) {
      std::string_view field;
      const auto end = cursor.next(field, scratch, [&] { return columnText(column, columns); });
      if (column >= width)
        raiseFailure(formatText(
            "%s, line %llu, column %zu: more fields than the %zu columns "
            "of the header",
            layout.fileName.c_str(), static_cast<unsigned long long>(line), column + 1, width));
      visit(column, field, cursor.quotedField(), line);
      ++column;
      if (end == CsvCursor::End::kRecord) break;
    }
    if (column < width)
      raiseFailure(formatText("%s, line %llu, %s: the record ends after %zu of %zu fields",
                              layout.fileName.c_str(), static_cast<unsigned long long>(line),
                              columnText(column, columns).c_str(), column, width));
    ++rows;
  }
  strayQuotes = cursor.strayQuotes();
  // The blank lines skipped past the end belong to the next chunk.
  const std::size_t stop = std::min(cursor.position(), layout.content.size());
  lineFeeds =
      cursor.line() - chunk.line -
      static_cast<std::uint64_t>(std::count(layout.content.begin() + std::min(chunk.end, stop),
                                            layout.content.begin() + stop, '\n'));
  return rows;
}

// The first cell that made a column text (or, for a column read as numbers, the
// first that was not a number, with the count of such cells).
struct Decision {
  CellReading reason = CellReading::kText;
  std::uint64_t line = 0;
  std::string value;
  std::uint64_t unreadable = 0;
};

// A chunk's part of one text column : its own levels.
struct TextPart {
  std::vector<std::string> levels;
  std::vector<std::uint32_t> entries;  // 1 + index into levels; 0 when missing
};

// A chunk's part of one column in the first pass. A column that is text from its first
// non-missing cell in the chunk has its texts read on the way (`complete`); others
// wait for the second pass if they turn out to be text.
struct ColumnPart {
  std::vector<double> numbers;
  bool text = false;
  bool onlyMissing = true;  // so far
  bool complete = false;
  TextPart texts;
  Decision decision;
};

// What a pass makes of one chunk. A failure is kept rather than thrown: it counts only
// when no earlier chunk saw stray quotes (which make the later cuts untrustworthy).
template <class Part>
struct ChunkResult {
  std::vector<Part> columns;
  std::uint64_t rows = 0;
  std::uint64_t lineFeeds = 0;
  std::size_t end = 0;  // the chunk's end in the content
  bool strayQuotes = false;
  std::exception_ptr failure;
};

template <class Part, class Parse>
ChunkResult<Part> runChunk(const CsvLayout& layout, const CsvChunk& chunk, const Parse& parse) {
  ChunkResult<Part> result;
  result.end = chunk.end;
  try {
    result.columns.resize(layout.columns.size());
    result.rows = parse(chunk, result.columns, result.strayQuotes, result.lineFeeds);
  } catch (...) {
    result.failure = std::current_exception();
  }
  return result;
}

// Starts reading a chunk's texts of a column (every cell so far missing).
void startTexts(ColumnPart& part, std::optional<LevelCollector>& collector) {
  part.complete = true;
  part.texts.entries.assign(part.numbers.size(), 0);
  std::vector<double>().swap(part.numbers);
  collector.emplace(part.texts.levels);
}

void typeCell(const CsvLayout& layout, ColumnType type, ColumnPart& part,
              std::optional<LevelCollector>& collector, std::string_view field, bool quoted,
              std::uint64_t line) {
  if (part.text) {
    if (part.complete)
      part.texts.entries.push_back(isMissingCell(field, quoted) ? 0 : collector->entryOf(field));
    return;
  }
  double value = MISSING;
  const CellReading reading = readField(field, quoted, layout.separator, value);
  if (reading != CellReading::kNumber && reading != CellReading::kMissing) {
    Decision& decision = part.decision;
    if (type != ColumnType::kNumeric) {
      part.text = true;
      decision = {reading, line, std::string(field), 0};
      if (part.onlyMissing) {
        startTexts(part, collector);
        part.texts.entries.push_back(collector->entryOf(field));
      }
      return;
    }
    if (!readsAsNumber(reading)) {
      if (decision.unreadable++ == 0) {
        decision.line = line;
        decision.value = std::string(field);
      }
      value = MISSING;
    }
  }
  part.onlyMissing = part.onlyMissing && reading == CellReading::kMissing;
  part.numbers.push_back(value);
}

ChunkResult<ColumnPart> typeChunk(const CsvLayout& layout, const CsvChunk& chunk) {
  return runChunk<ColumnPart>(
      layout, chunk,
      [&](const CsvChunk& c, std::vector<ColumnPart>& parts, bool& stray, std::uint64_t& feeds) {
        std::vector<std::optional<LevelCollector>> collectors(parts.size());
        for (std::size_t i = 0; i < parts.size(); ++i) {
          parts[i].text = layout.types[i] == ColumnType::kText;
          if (parts[i].text)
            startTexts(parts[i], collectors[i]);
          else
            parts[i].numbers.reserve((c.end - c.begin) / 8 / parts.size() + 16);
        }
        return forEachCell(
            layout, c, stray, feeds,
            [&](std::size_t column, std::string_view field, bool quoted, std::uint64_t line) {
              typeCell(layout, layout.types[column], parts[column], collectors[column], field,
                       quoted, line);
            });
      });
}

ChunkResult<TextPart> textChunk(const CsvLayout& layout, const CsvChunk& chunk,
                                const std::vector<bool>& isText) {
  return runChunk<TextPart>(
      layout, chunk,
      [&](const CsvChunk& c, std::vector<TextPart>& parts, bool& stray, std::uint64_t& feeds) {
        std::vector<std::optional<LevelCollector>> collectors(parts.size());
        for (std::size_t i = 0; i < parts.size(); ++i)
          if (isText[i]) collectors[i].emplace(parts[i].levels);
        const std::uint64_t rows = forEachCell(
            layout, c, stray, feeds,
            [&](std::size_t column, std::string_view field, bool quoted, std::uint64_t) {
              if (!isText[column]) return;
              parts[column].entries.push_back(
                  isMissingCell(field, quoted) ? 0 : collectors[column]->entryOf(field));
            });
        return rows;
      });
}

// Runs `parse` over every chunk in parallel and hands the results to `take` in chunk
// order. Returns false when a chunk saw stray quotes (the cuts after it can't be
// trusted) or failed after the first chunk (its message would count lines from the
// chunk's start): the caller then reads the file as one chunk. Raises the first
// chunk's failure.
template <class Part, class Parse, class Take>
bool passOverChunks(const std::vector<CsvChunk>& chunks, const Parse& parse, const Take& take) {
  // One type for a chunk's result and for the state of the in-order combining.
  struct Step {
    std::optional<ChunkResult<Part>> chunk;
    bool stray = false;
    std::exception_ptr failure;
  };
  const Step state = reduceBlocks(
      chunks.size(), 1, Step{},
      [&](std::size_t begin, std::size_t) {
        return Step{parse(chunks[begin]), false, {}};
      },
      [&](Step done, Step next) {
        if (done.stray || done.failure) return done;
        if (next.chunk->failure) {
          done.failure = next.chunk->failure;
        } else {
          take(*next.chunk);
          done.stray = next.chunk->strayQuotes;
        }
        return done;
      });
  if (state.failure && chunks.size() == 1) std::rethrow_exception(state.failure);
  return !state.stray && !state.failure;
}

std::string noteFor(const ImportedColumn& column, const Decision& decision) {
  if (!column.isText)
    return unreadableNote(column.name, decision.unreadable, decision.value, decision.line);
  return categoricalNote(column.name, decision.value, decision.line, textReason(decision.reason),
                         decision.reason != CellReading::kText);
}

// Adds a chunk's decision on a column to the decisions of the chunks before it.
// Lines of the chunk count from `lineBase`.
void addDecision(ColumnType type, bool textBefore, const ColumnPart& part, std::uint64_t lineBase,
                 Decision& first) {
  if (type == ColumnType::kDetect && part.text && !textBefore) {
    first = part.decision;
    first.line += lineBase;
  }
  if (part.decision.unreadable == 0) return;
  if (first.unreadable == 0) {
    first.line = part.decision.line + lineBase;
    first.value = part.decision.value;
  }
  first.unreadable += part.decision.unreadable;
}

// The texts the first pass read: per column, the parts of every chunk so far while
// each was complete.
struct EarlyTexts {
  std::vector<std::vector<TextPart>> parts;
  std::vector<bool> complete;

  explicit EarlyTexts(std::size_t columns) : parts(columns), complete(columns, true) {}
  void add(std::size_t column, ColumnPart& part) {
    if (!complete[column]) return;
    complete[column] = part.text && part.complete;
    if (complete[column])
      parts[column].push_back(std::move(part.texts));
    else
      std::vector<TextPart>().swap(parts[column]);
  }
};

// The first pass: numbers, which columns hold text and why. False on stray quotes.
bool typeColumns(const CsvLayout& layout, const std::vector<CsvChunk>& chunks, ImportedTable& table,
                 EarlyTexts& early, const ProgressCallback& progress) {
  std::vector<Decision> first(table.columns.size());
  std::uint64_t lineBase = 0, nextLine = chunks.front().line;
  const bool trusted = passOverChunks<ColumnPart>(
      chunks, [&](const CsvChunk& chunk) { return typeChunk(layout, chunk); },
      [&](ChunkResult<ColumnPart>& result) {
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
          ImportedColumn& column = table.columns[c];
          ColumnPart& part = result.columns[c];
          addDecision(layout.types[c], column.isText, part, lineBase, first[c]);
          early.add(c, part);
          column.isText = column.isText || part.text;
          if (column.isText) {
            std::vector<double>().swap(column.numbers);
            continue;
          }
          if (column.numbers.empty())
            column.numbers.reserve(part.numbers.size() * chunks.size() + 16);
          column.numbers.insert(column.numbers.end(), part.numbers.begin(), part.numbers.end());
        }
        table.rowCount += result.rows;
        nextLine += result.lineFeeds;
        lineBase = nextLine;
        if (progress) progress(result.end, layout.content.size());
      });
  for (std::size_t c = 0; c < table.columns.size(); ++c)
    if ((table.columns[c].isText && layout.types[c] == ColumnType::kDetect) ||
        first[c].unreadable > 0)
      table.notes.push_back(noteFor(table.columns[c], first[c]));
  return trusted;
}

// Appends a chunk's texts to the column's levels and records.
void appendTexts(ImportedColumn& column, LevelCollector& collector, const TextPart& part) {
  std::vector<std::uint32_t> global(part.levels.size() + 1, 0);
  for (std::size_t l = 0; l < part.levels.size(); ++l)
    global[l + 1] = collector.entryOf(part.levels[l]);
  for (std::uint32_t entry : part.entries)
    column.levelOfRecord.push_back(global[entry]);
}

// The levels of the text columns: those the first pass read whole from its parts, the
// others in a second pass. False on stray quotes or a failure.
bool readTexts(const CsvLayout& layout, const std::vector<CsvChunk>& chunks, EarlyTexts& early,
               ImportedTable& table) {
  std::vector<bool> again(table.columns.size(), false);
  std::vector<std::optional<LevelCollector>> collectors(table.columns.size());
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    ImportedColumn& column = table.columns[c];
    if (!column.isText) continue;
    collectors[c].emplace(column.levels);
    column.levelOfRecord.reserve(table.rowCount);
    again[c] = !early.complete[c];
    for (const TextPart& part : early.parts[c])
      appendTexts(column, *collectors[c], part);
    std::vector<TextPart>().swap(early.parts[c]);
  }
  if (std::none_of(again.begin(), again.end(), [](bool b) { return b; })) return true;
  return passOverChunks<TextPart>(
      chunks, [&](const CsvChunk& chunk) { return textChunk(layout, chunk, again); },
      [&](ChunkResult<TextPart>& result) {
        for (std::size_t c = 0; c < table.columns.size(); ++c)
          if (again[c]) appendTexts(table.columns[c], *collectors[c], result.columns[c]);
      });
}

ImportedTable parseRecords(const CsvLayout& layout, std::vector<ImportedColumn> columns,
                           const std::vector<CsvChunk>& chunks, const ProgressCallback& progress) {
  ImportedTable table;
  table.columns = std::move(columns);
  const bool single = chunks.size() == 1;
  EarlyTexts early(table.columns.size());
  if (!typeColumns(layout, chunks, table, early, progress) && !single) return {};
  if (!readTexts(layout, chunks, early, table) && !single) return {};
  return table;
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

ImportedTable parseCsv(std::string_view content, const std::string& fileName,
                       const ColumnTypeRequest& types, const ProgressCallback& progress,
                       std::size_t chunkBytes) {
  const std::size_t headerStart = content.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  const char separator = detectSeparator(content.substr(headerStart));
  CsvCursor header(content, separator, fileName);
  const std::vector<ImportedColumn> columns = readHeader(header, fileName);
  const std::vector<ColumnType> columnTypes = resolveColumnTypes(columns, types);
  const CsvChunks split = splitCsvChunks(content, header.position(), header.line(), chunkBytes);
  const CsvLayout layout{content, fileName, separator, columns, columnTypes, split.quotes};
  ImportedTable table = parseRecords(layout, columns, split.chunks, progress);
  if (table.columns.empty()) {
    // A quote inside an unquoted field (the cuts may be wrong) or a failure (to be told
    // with its line): read the file in one piece.
    const CsvChunks whole = splitCsvChunks(content, header.position(), header.line(), 0);
    table = parseRecords(layout, columns, whole.chunks, progress);
  }
  if (table.rowCount == 0) raiseFailure(fileName + ": the file has no records below the header");
  if (progress) progress(content.size(), content.size());
  return table;
}

ImportedTable readCsvFile(const std::string& path, const ColumnTypeRequest& types,
                          const ProgressCallback& progress) {
  auto cannotRead = [&] {
    raiseFailure(formatText("%s: can't read the file (%s)", path.c_str(),
                            systemErrorText(lastSystemError()).c_str()));
  };
  File file;
  if (!file.open(path, File::Mode::kRead)) cannotRead();
  const std::int64_t size = file.size();
  if (size < 0) cannotRead();
  MappedFile mapped;
  if (mapped.map(file, static_cast<std::size_t>(size)))
    return parseCsv(mapped.content(), path, types, progress);
  // Column memory: a large file costs no fault per small page.
  ColumnBuffer<char> content(static_cast<std::size_t>(size));
  if (file.read(content.data(), content.size()) != content.size()) cannotRead();
  return parseCsv(std::string_view(content.data(), content.size()), path, types, progress);
}

}  // namespace tessary
