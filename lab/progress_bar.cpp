#include "lab/progress_bar.h"

#include <string>

namespace lab {

namespace {

constexpr std::size_t kBarWidth = 40;

}  // namespace

ProgressBar::ProgressBar(std::ostream& out, bool enabled, std::size_t total)
    : out_(out), enabled_(enabled), total_(total), began_(std::chrono::steady_clock::now()) {
  if (enabled_) draw();
}

void ProgressBar::advance() {
  std::lock_guard lock(mutex_);
  ++done_;
  if (enabled_) draw();
}

void ProgressBar::finish() {
  std::lock_guard lock(mutex_);
  if (enabled_) out_ << '\n' << std::flush;
  enabled_ = false;
}

void ProgressBar::draw() {
  const std::size_t filled = total_ == 0 ? kBarWidth : done_ * kBarWidth / total_;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began_).count();
  out_ << "\r[" << std::string(filled, '#') << std::string(kBarWidth - filled, '.') << "] " << done_
       << '/' << total_ << "  " << static_cast<long long>(seconds) << " s" << std::flush;
}

}  // namespace lab
