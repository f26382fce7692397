// Progress bar: share done, seconds done of the total, speed as a multiple of
// real time and the time left.
#include "output/progress_bar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "commands/render_timing.h"

namespace velmo {

using Clock = std::chrono::steady_clock;

ProgressBar::ProgressBar(bool enabled, double totalSeconds, bool ofParts)
    : enabled_(enabled), totalGiven_(totalSeconds >= 0 || ofParts), total_(totalSeconds), start_(Clock::now()), lastDraw_(start_) {}

void ProgressBar::beginPart(const std::string& label, double secondsBefore) {
  label_ = label;
  before_ = secondsBefore;
}

void ProgressBar::partLength(double seconds) {
  if (!totalGiven_) total_ = seconds;
}

void ProgressBar::update(double seconds) {
  done_ = before_ + seconds;
  pending_ = true;
  if (!enabled_) return;
  const Clock::time_point now = Clock::now();
  if (now - lastDraw_ >= std::chrono::milliseconds(100)) draw(now);
}

void ProgressBar::draw(Clock::time_point now) {
  lastDraw_ = now;
  pending_ = false;
  drawn_ = true;
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  const double speed = elapsed > 0 ? done_ / elapsed : 0;
  std::string line = "\r";
  if (total_ > 0) {
    constexpr int kWidth = 30;
    const double share = std::min(1.0, done_ / total_);
    const int filled = static_cast<int>(share * kWidth);
    char bar[64];
    std::snprintf(bar, sizeof bar, "[%s%s] %3d%%  ", std::string(filled, '#').c_str(),
                  std::string(kWidth - filled, '.').c_str(), static_cast<int>(share * 100));
    line += bar;
  }
  if (!label_.empty()) line += label_ + "  ";
  // Whole seconds: hundredths flickering by help nobody.
  line += clockText(std::round(done_));
  if (total_ > 0) line += " / " + clockText(std::round(total_));
  char rate[64];
  std::snprintf(rate, sizeof rate, "  %.1fx real time", speed);
  line += rate;
  if (total_ > 0 && speed > 0 && done_ < total_) line += "  " + clockText(std::ceil((total_ - done_) / speed)) + " left";
  line += "\033[K";  // what a longer line left
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

void ProgressBar::finish() {
  if (!enabled_) return;
  if (pending_) draw(Clock::now());
  if (drawn_) std::fputc('\n', stderr);
  drawn_ = false;
}

}  // namespace velmo
