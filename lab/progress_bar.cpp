#include "lab/progress_bar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace lab {

namespace {

constexpr std::size_t kBarWidth = 30;
// Between two drawings: a terminal redrawn more often only flickers.
constexpr std::chrono::milliseconds kRedrawEvery{250};

std::string grouped(std::size_t value) {
  std::string digits = std::to_string(value);
  for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<std::size_t>(at), ",");
  }
  return digits;
}

}  // namespace

std::string durationText(double seconds) {
  const auto whole = static_cast<long long>(std::max(0.0, std::round(seconds)));
  char text[48];
  if (whole < 60) {
    std::snprintf(text, sizeof text, "%lld s", whole);
  } else if (whole < 3600) {
    std::snprintf(text, sizeof text, "%lld min %02lld s", whole / 60, whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld h %02lld min", whole / 3600, whole % 3600 / 60);
  }
  return text;
}

std::string progressLine(std::size_t done, std::size_t total, std::string_view unit,
                         std::string_view note, double seconds, bool ended) {
  const std::size_t shown = std::min(done, total);
  const std::size_t filled = total == 0 ? kBarWidth : shown * kBarWidth / total;
  std::string line = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "] ";
  line += grouped(done) + "/" + grouped(total) + " ";
  line += unit;
  if (!note.empty()) {
    line += ", ";
    line += note;
  }
  line += "  " + durationText(seconds);
  if (!ended && shown > 0 && shown < total) {
    const double left = seconds * static_cast<double>(total - shown) / static_cast<double>(shown);
    line += ", about " + durationText(left) + " left";
  }
  return line;
}

ProgressBar::ProgressBar(std::ostream& out, bool enabled, std::size_t total, std::string unit,
                         ProgressClock clock, std::string note)
    : out_(out),
      enabled_(enabled),
      total_(total),
      unit_(std::move(unit)),
      note_(std::move(note)),
      clock_(std::move(clock)),
      began_(clock_()),
      drawn_(began_) {
  if (enabled_) drawIfDue(true);
}

ProgressBar::~ProgressBar() {
  finish();
}

void ProgressBar::advance() {
  std::lock_guard lock(mutex_);
  ++done_;
  drawIfDue(done_ == total_);
}

void ProgressBar::set(std::size_t done) {
  std::lock_guard lock(mutex_);
  done_ = done;
  drawIfDue(false);
}

void ProgressBar::setNote(std::string note) {
  std::lock_guard lock(mutex_);
  note_ = std::move(note);
}

void ProgressBar::finish() {
  std::lock_guard lock(mutex_);
  if (!enabled_) return;
  drawIfDue(true, true);
  out_ << '\n' << std::flush;
  enabled_ = false;
}

void ProgressBar::drawIfDue(bool force, bool ended) {
  if (!enabled_) return;
  const auto now = clock_();
  if (!force && now - drawn_ < kRedrawEvery) return;
  drawn_ = now;
  const std::string line = progressLine(done_, total_, unit_, note_,
                                        std::chrono::duration<double>(now - began_).count(), ended);
  // Blanks over what a longer line drew before.
  const std::size_t blanks = drawnWidth_ > line.size() ? drawnWidth_ - line.size() : 0;
  drawnWidth_ = line.size();
  out_ << '\r' << line << std::string(blanks, ' ') << std::flush;
}

}  // namespace lab
