// A progress line on a terminal's standard error, redrawn in place at most a few times a
// second: a bar, what is done of what is planned, the time taken and, once something is
// done, the time left at the pace so far.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

namespace lab {

using ProgressClock = std::function<std::chrono::steady_clock::time_point()>;

// The line as drawn, without the carriage return: `done` of `total` `unit`, `note` after
// them when not empty, `seconds` taken and, unless `ended`, the time left. Counts are
// grouped by thousands.
std::string progressLine(std::size_t done, std::size_t total, std::string_view unit,
                         std::string_view note, double seconds, bool ended = false);

// "42 s", "3 min 05 s", "2 h 04 min".
std::string durationText(double seconds);

class ProgressBar {
 public:
  // Draws nothing when not enabled (standard error is not a terminal, or --quiet).
  ProgressBar(std::ostream& out, bool enabled, std::size_t total, std::string unit = "runs",
              ProgressClock clock = std::chrono::steady_clock::now, std::string note = {});
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;
  // Ends the line when finish() was not called.
  ~ProgressBar();

  // One more item done; safe to call from several threads.
  void advance();
  // `done` items in all.
  void set(std::size_t done);
  // Shown after the count from the next drawing on.
  void setNote(std::string note);
  // Draws the last state and ends the bar's line.
  void finish();

 private:
  void drawIfDue(bool force, bool ended = false);

  std::ostream& out_;
  bool enabled_;
  std::size_t total_;
  std::string unit_;
  std::string note_;
  ProgressClock clock_;
  std::size_t done_ = 0;
  std::chrono::steady_clock::time_point began_;
  std::chrono::steady_clock::time_point drawn_;
  std::size_t drawnWidth_ = 0;
  std::mutex mutex_;
};

}  // namespace lab
