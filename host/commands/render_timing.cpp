// Length and frame count of a render.
#include "commands/render_timing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velmo {
namespace {

// No source holds this much (some thirty years); a time past it bounds
// nothing, and counted in frames it would no longer fit.
constexpr double kLongestSeconds = 1e9;

}  // namespace

std::string secondsText(double seconds, int decimals) {
  char text[64];
  if (!(seconds < kLongestSeconds)) {
    std::snprintf(text, sizeof text, "%g s", seconds);
    return text;
  }
  // Without the zeros nobody writes: "2.5 s", "60 s".
  std::snprintf(text, sizeof text, "%.*f", decimals, seconds);
  std::string number = text;
  if (number.find('.') != std::string::npos) {
    number.erase(number.find_last_not_of('0') + 1);
    if (number.back() == '.') number.pop_back();
  }
  return number + " s";
}

std::string clockText(double seconds) {
  if (!(seconds < kLongestSeconds)) return secondsText(seconds);
  const long long hundredths = std::llround(std::max(0.0, seconds) * 100);
  const long long whole = hundredths / 100;
  char text[64];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  }
  std::string clock = text;
  if (hundredths % 100) {
    std::snprintf(text, sizeof text, ".%02lld", hundredths % 100);
    clock += text;
  }
  return clock;
}

std::string momentBeyondTheEnd(double moment, double trackSeconds) {
  return "--at " + secondsText(moment) + " lies beyond the end of the track (" + clockText(trackSeconds) + ")";
}

bool lengthHoldsAFrame(const RenderJob& job, std::string* error) {
  if (job.snapshotAt >= 0 || job.maxSeconds <= 0 || job.maxSeconds * job.fps >= 1 - 1e-6) return true;
  char text[128];
  std::snprintf(text, sizeof text, "--seconds %g is shorter than one frame (1/%d s at %d frames a second)",
                job.maxSeconds, job.fps, job.fps);
  *error = text;
  return false;
}

bool planRenderTiming(const RenderJob& job, int64_t trackFrames, int sampleRate, RenderTiming* timing,
                      std::string* error) {
  double seconds = trackFrames >= 0 ? static_cast<double>(trackFrames) / sampleRate : -1;
  if (job.maxSeconds > 0 && job.maxSeconds < kLongestSeconds && (seconds < 0 || job.maxSeconds < seconds)) {
    seconds = job.maxSeconds;
  }
  const bool snapshot = job.snapshotAt >= 0;
  if (snapshot) {
    if (seconds >= 0 && job.snapshotAt > seconds) {
      *error = momentBeyondTheEnd(job.snapshotAt, seconds);
      return false;
    }
    seconds = job.snapshotAt < kLongestSeconds ? job.snapshotAt : -1;
  }
  timing->seconds = seconds;
  if (seconds < 0) {
    timing->frameTotal = -1;
  } else if (snapshot) {
    timing->frameTotal = static_cast<int64_t>(std::floor(seconds * job.fps)) + 1;
  } else {
    timing->frameTotal = static_cast<int64_t>(std::ceil(seconds * job.fps - 1e-6));
  }
  timing->audioTotal = seconds >= 0 ? std::llround(seconds * sampleRate) : -1;
  return true;
}

}  // namespace velmo
