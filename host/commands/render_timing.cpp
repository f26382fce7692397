// Length and frame count of a render.
#include "commands/render_timing.h"

#include <cmath>

namespace velmo {

bool planRenderTiming(const RenderJob& job, int64_t trackFrames, int sampleRate, RenderTiming* timing,
                      std::string* error) {
  double seconds = trackFrames >= 0 ? static_cast<double>(trackFrames) / sampleRate : -1;
  if (job.maxSeconds >= 0 && (seconds < 0 || job.maxSeconds < seconds)) seconds = job.maxSeconds;
  const bool snapshot = job.snapshotAt >= 0;
  if (snapshot) {
    if (seconds >= 0 && job.snapshotAt > seconds) {
      *error = "--at " + std::to_string(job.snapshotAt) + " lies beyond the end of the track (" +
               std::to_string(seconds) + " s)";
      return false;
    }
    seconds = job.snapshotAt;
  }
  timing->seconds = seconds;
  if (seconds < 0) {
    timing->frameTotal = -1;
  } else if (snapshot) {
    timing->frameTotal = static_cast<int64_t>(std::floor(seconds * job.fps)) + 1;
  } else {
    timing->frameTotal = static_cast<int64_t>(std::ceil(seconds * job.fps - 1e-6));
  }
  timing->audioTotal = seconds >= 0 ? static_cast<int64_t>(std::llround(seconds * sampleRate)) : -1;
  return true;
}

}  // namespace velmo
