#include "cli/progress_line.h"

#include <algorithm>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace qor::cli {
namespace {

constexpr auto kQuietTime = std::chrono::seconds(1);
constexpr auto kRedrawTime = std::chrono::milliseconds(200);

}  // namespace

ProgressLine::ProgressLine(std::string label, bool enabled, std::FILE* sink)
    : label_(std::move(label)), enabled_(enabled), sink_(sink), start_(Clock::now()) {}

ProgressLine::~ProgressLine() { Clear(); }

bool ProgressLine::StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

void ProgressLine::Update(std::int64_t done, std::int64_t total) {
  if (!enabled_ || total <= 0) return;
  const auto now = Clock::now();
  if (now - start_ < kQuietTime || (width_ > 0 && now - lastDrawn_ < kRedrawTime)) return;
  lastDrawn_ = now;

  const auto percent = static_cast<int>(done * 100 / total);
  std::string line = label_ + ": " + std::to_string(percent) + "% of " +
                     std::to_string(total / (1024 * 1024)) + " MiB";
  const std::size_t width = line.size();
  if (width < width_) line.append(width_ - width, ' ');
  std::fprintf(sink_, "\r%s", line.c_str());
  std::fflush(sink_);
  width_ = std::max(width, width_);
}

void ProgressLine::Clear() {
  if (width_ == 0) return;
  std::fprintf(sink_, "\r%s\r", std::string(width_, ' ').c_str());
  std::fflush(sink_);
  width_ = 0;
}

}  // namespace qor::cli
