// What the desktop's sound server (PulseAudio, or PipeWire through its
// PulseAudio interface) says about its capture sources: which are monitors of
// outputs, and which is the monitor of the default output. Sources are named
// by their descriptions, the names SDL lists them by.
#pragma once
#include <set>
#include <string>

namespace velmo {

struct SoundServerSources {
  std::set<std::string> monitors;
  std::string defaultOutputMonitor;  // empty: no server, or no default output
  std::string defaultInput;
};

// Asks the server, giving up after about two seconds. False when there is no
// server to ask; `sources` is then left empty.
bool askSoundServer(SoundServerSources* sources);

}  // namespace velmo
