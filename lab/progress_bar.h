// A progress bar on a terminal's standard error, redrawn in place.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <ostream>

namespace lab {

class ProgressBar {
 public:
  // Draws nothing when not enabled (standard error is not a terminal).
  ProgressBar(std::ostream& out, bool enabled, std::size_t total);
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // One more item done; safe to call from several threads.
  void advance();
  // Ends the bar's line.
  void finish();

 private:
  void draw();

  std::ostream& out_;
  bool enabled_;
  std::size_t total_;
  std::size_t done_ = 0;
  std::chrono::steady_clock::time_point began_;
  std::mutex mutex_;
};

}  // namespace lab
