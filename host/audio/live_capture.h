// Live input through SDL2's audio capture: a microphone or line input, or,
// with PulseAudio or PipeWire, the monitor of an output (what the desktop
// plays). The newest audio is visualized as it arrives.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "audio/feed.h"

namespace velmo {

// Names of the capture devices SDL sees.
std::vector<std::string> captureDeviceNames(std::string* error);

// Opens `device` (empty: the default input). Null, with `error`, when there is
// no such device or no audio at all.
std::unique_ptr<Feed> openLiveCapture(const std::string& device, std::string* error);

}  // namespace velmo
