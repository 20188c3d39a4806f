// A one-line progress bar for long work, drawn on standard error only when it is a
// terminal; silent otherwise, so scripts and logs stay clean.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace tessary::cli {

class ProgressBar {
 public:
  // Draws to standard error when it is a terminal.
  ProgressBar(std::string title, std::uint64_t total);
  // Draws to `out` (nullptr: never draws).
  ProgressBar(std::string title, std::uint64_t total, std::FILE* out);
  ~ProgressBar();

  // Redraws when the shown percentage changes.
  void update(std::uint64_t done);
  // Clears the line; further updates draw nothing.
  void finish();

  // The line drawn for `done` of `total` (without the leading carriage return).
  static std::string render(const std::string& title, std::uint64_t done, std::uint64_t total);

 private:
  std::string title_;
  std::uint64_t total_;
  std::FILE* out_;
  int shownPercent_ = -1;
};

}  // namespace tessary::cli
