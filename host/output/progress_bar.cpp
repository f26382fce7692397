// Progress bar: done / total, percentage, and speed as a multiple of real time.
#include "output/progress_bar.h"

#include <cstdio>

namespace velmo {

using Clock = std::chrono::steady_clock;

ProgressBar::ProgressBar(bool enabled, int64_t total, int fps)
    : enabled_(enabled), total_(total), fps_(fps), start_(Clock::now()), lastDraw_(start_) {}

void ProgressBar::update(int64_t done) {
  done_ = done;
  if (!enabled_) return;
  Clock::time_point now = Clock::now();
  if (now - lastDraw_ < std::chrono::milliseconds(100) && done != total_) return;
  lastDraw_ = now;
  double elapsed = std::chrono::duration<double>(now - start_).count();
  double rendered = static_cast<double>(done) / fps_;
  double speed = elapsed > 0 ? rendered / elapsed : 0;
  if (total_ > 0) {
    constexpr int kWidth = 30;
    int filled = static_cast<int>(done * kWidth / total_);
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kWidth] = 0;
    std::fprintf(stderr, "\r[%s] %3d%%  %6.1f / %.1f s  %.1fx real time ", bar,
                 static_cast<int>(done * 100 / total_), rendered, static_cast<double>(total_) / fps_, speed);
  } else {
    std::fprintf(stderr, "\r%lld frames  %.1f s  %.1fx real time ", static_cast<long long>(done), rendered, speed);
  }
  std::fflush(stderr);
}

void ProgressBar::finish() {
  if (enabled_ && done_ > 0) std::fputc('\n', stderr);
}

}  // namespace velmo
