// The built-in demo: a synthesized minute of music (kick, snare, hi-hat, bass,
// pads and an arpeggio panned left and right), so the player shows something
// with no file at all. Deterministic and seekable.
#pragma once
#include <memory>
#include "audio/audio_source.h"

namespace velmo {

constexpr int kDemoSampleRate = 44100;
constexpr double kDemoSeconds = 60.0;

std::unique_ptr<AudioSource> openDemoTrack();

}  // namespace velmo
