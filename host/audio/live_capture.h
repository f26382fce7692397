// Live input through SDL2's audio capture: a microphone or line input, or,
// with PulseAudio or PipeWire, the monitor of an output (what the desktop
// plays). The newest audio is visualized as it arrives.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "audio/feed.h"
#include "audio/player_watch.h"

namespace velmo {

struct CaptureDevice {
  std::string name;           // as SDL lists it: what --device takes
  bool monitor = false;       // of an output: what the desktop plays
  bool chosen = false;        // what live takes without --device
  bool defaultInput = false;  // the sound server's default source
};

// The capture devices SDL sees, marked from what the sound server says. The
// chosen one is the monitor of the default output where the server has one
// and SDL lists it; else none is, and live takes SDL's default input.
std::vector<CaptureDevice> captureDevices(std::string* error);

// "NAME (monitor, default)": a device as --list shows it.
std::string describeCaptureDevice(const CaptureDevice& device);

// The device live listens to: `requested`, or else the chosen one (empty when
// SDL's default input is to be taken). `description` names it as --list does.
std::string captureDeviceToUse(const std::string& requested, std::string* description);

// Opens `device` (empty: the default input). The caption, time and state come
// from `player` when given and a player is seen, else "Live input". Null,
// with `error`, when there is no such device or no audio at all.
std::unique_ptr<Feed> openLiveCapture(const std::string& device, std::unique_ptr<PlayerWatch> player,
                                      std::string* error);

}  // namespace velmo
