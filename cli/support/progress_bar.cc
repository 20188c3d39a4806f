#include "support/progress_bar.h"

#include <algorithm>

#include "platform/terminal.h"

namespace tessary::cli {
namespace {

constexpr int kBarWidth = 30;

int percentOf(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return 100;
  return static_cast<int>(std::min<std::uint64_t>(done, total) * 100 / total);
}

}  // namespace

ProgressBar::ProgressBar(std::string title, std::uint64_t total)
    : ProgressBar(std::move(title), total, standardErrorIsTerminal() ? stderr : nullptr) {}

ProgressBar::ProgressBar(std::string title, std::uint64_t total, std::FILE* out)
    : title_(std::move(title)), total_(total), out_(out) {}

ProgressBar::~ProgressBar() {
  finish();
}

std::string ProgressBar::render(const std::string& title, std::uint64_t done, std::uint64_t total) {
  const int percent = percentOf(done, total);
  const int filled = percent * kBarWidth / 100;
  std::string line = title + " [";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(kBarWidth - filled), ' ');
  line += "] " + std::to_string(percent) + "%";
  return line;
}

void ProgressBar::update(std::uint64_t done) {
  if (out_ == nullptr) return;
  const int percent = percentOf(done, total_);
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  std::fprintf(out_, "\r%s", render(title_, done, total_).c_str());
  std::fflush(out_);
}

void ProgressBar::finish() {
  if (out_ == nullptr) return;
  if (shownPercent_ >= 0) {
    // Blank the bar so the next line starts clean.
    const std::size_t width = render(title_, total_, total_).size();
    std::fprintf(out_, "\r%s\r", std::string(width, ' ').c_str());
    std::fflush(out_);
  }
  out_ = nullptr;
}

}  // namespace tessary::cli
