// The frame arithmetic of a render: how long it runs, how many frames it
// draws, and where in the track each frame sits.
#pragma once
#include <cstdint>
#include <string>

#include "commands/render_job.h"

namespace velmo {

struct RenderTiming {
  double seconds = -1;      // the length rendered; -1 while unknown (until the track ends)
  int64_t frameTotal = -1;  // frames to draw; -1 while the length is unknown
  int64_t audioTotal = -1;  // track frames that go into a video; -1: all there are
};

// From the track's length (`trackFrames` at `sampleRate`, -1 when unknown)
// and the job's --seconds, --at and --fps. A partial last frame is drawn, so
// any sound at all shows; a snapshot draws every frame up to its moment.
// False, with `error`, when the snapshot's moment lies beyond the track.
// A time longer than any source (--seconds 1e308) bounds nothing: the
// render runs to the track's end, and a snapshot that far never comes.
bool planRenderTiming(const RenderJob& job, int64_t trackFrames, int sampleRate, RenderTiming* timing,
                      std::string* error);

// False, with `error`, when --seconds is shorter than one frame: such a
// render would hold nothing.
bool lengthHoldsAFrame(const RenderJob& job, std::string* error);

// "1.5 s", as a person writes it (to the millisecond, or to `decimals`).
std::string secondsText(double seconds, int decimals = 3);
// A moment as players show it: "0:06", "2:00", "0:19.99", "1:02:03".
std::string clockText(double seconds);
// "--at 100 s lies beyond the end of the track (0:01)".
std::string momentBeyondTheEnd(double moment, double trackSeconds);

// The moment of frame `index`, as a track frame: the centre of its spectrum.
inline int64_t frameMoment(int64_t index, int sampleRate, int fps) { return index * sampleRate / fps; }
// The play position the plug-in is told while it draws frame `index`.
inline int framePositionMs(int64_t index, int fps) { return static_cast<int>(index * 1000 / fps); }

}  // namespace velmo
