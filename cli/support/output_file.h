// The tool's result files (CSV exports, HTML pages). "-" names standard output; any
// other path is replaced whole through the file layer, which follows a symbolic link to
// the file it names and writes a FIFO or a device directly.
#pragma once

#include <cstdio>
#include <string>

namespace tessary::cli {

// Writes `content`; raises "<path>: can't write the file (<reason>)" when it cannot.
void writeOutputFile(const std::string& path, const std::string& content);

// Where a command reports what it wrote: standard error when the result itself went to
// standard output, so that it stays clean; standard output otherwise.
std::FILE* reportStream(const std::string& outputPath);

}  // namespace tessary::cli
