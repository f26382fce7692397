// A one-line progress bar on standard error for long renders.
#pragma once
#include <chrono>
#include <cstdint>

namespace velmo {

class ProgressBar {
 public:
  // `total` frames, or -1 when unknown (then only the count is shown).
  ProgressBar(bool enabled, int64_t total, int fps);
  void update(int64_t done);
  void finish();

 private:
  bool enabled_;
  int64_t total_;
  int fps_;
  int64_t done_ = 0;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
};

}  // namespace velmo
