// A progress line on standard error, for a terminal, once a file has taken
// longer than about a second.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "cipher/progress.h"

namespace qor::cli {

class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;

  // Draws nothing unless `enabled`.
  ProgressLine(std::string label, bool enabled, std::FILE* sink = stderr);
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  // Clears the line if it was drawn.
  ~ProgressLine();

  void Update(std::int64_t done, std::int64_t total);
  // Update, as the engine and the file passes take it.
  Progress Sink() {
    return [this](std::int64_t done, std::int64_t total) {
      Update(done, total);
      return true;
    };
  }
  void Clear();

  static bool StderrIsTerminal();

 private:
  std::string label_;
  bool enabled_;
  std::FILE* sink_;
  Clock::time_point start_;
  Clock::time_point lastDrawn_{};
  std::size_t width_ = 0;  // of the line on screen, 0 when none
};

}  // namespace qor::cli
