// Reading a CSV file: a header row naming the columns, then one record per line.
// The separator (comma, semicolon or tab) is detected from the header; fields may be
// quoted with '"' ("" inside a quoted field is one quote; quoted fields may hold
// separators and line breaks). Blank lines are skipped. A column whose non-missing
// cells all read as numbers is numeric; any other column is text, and so is a column
// holding codes with leading zeros or whole numbers beyond 2^53 (csv_cells.h), each
// such column with a note naming the first cell that decided it. Empty cells, "NA"
// and "." are missing, unless quoted: a quoted field is missing only when empty. A
// column without a name in the header is named V<position>.
//
// The records are parsed in chunks (csv_chunks.h) on the parallel layer and combined
// in chunk order, so the result does not depend on the number of threads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/imported_table.h"
#include "import/column_types.h"
#include "import/csv_cells.h"
#include "import/csv_chunks.h"

namespace tessary {

// The separator of the header line: whichever of ',' ';' '\t' occurs most often
// outside quotes; ',' when none does (or on a tie with it).
char detectSeparator(std::string_view headerLine);

// Parses CSV content; `fileName` names the source in failure messages, which read
// "<file>, line <n>, column <c> (<name>): <problem>". `chunkBytes` (tests only) sets
// the size of the chunks parsed in parallel.
ImportedTable parseCsv(std::string_view content, const std::string& fileName,
                       const ColumnTypeRequest& types = {}, const ProgressCallback& progress = {},
                       std::size_t chunkBytes = kCsvChunkBytes);

// Reads and parses a CSV file.
ImportedTable readCsvFile(const std::string& path, const ColumnTypeRequest& types = {},
                          const ProgressCallback& progress = {});

}  // namespace tessary
