// What every table an import reader returns must satisfy, whatever its input: named
// columns of the table's length whose records point into their levels.
#pragma once

#include "data/imported_table.h"
#include "fuzz_scratch.h"

namespace tessary::fuzzing {

inline void requireWellFormed(const ImportedTable& table) {
  require(!table.columns.empty() && table.rowCount > 0);
  for (const ImportedColumn& column : table.columns) {
    require(!column.name.empty());
    require(column.size() == table.rowCount);
    for (std::uint32_t entry : column.levelOfRecord)
      require(entry <= column.levels.size());
  }
}

}  // namespace tessary::fuzzing
