// The plug-in's picture of the sound, the step play and render share: our
// Glide set to the picture's size and look, the plug-in opened in a session,
// and for each frame the spectrum at one moment of the audio handed to its
// render call.
#pragma once
#include <cstdint>
#include <string>

#include "audio/pcm_history.h"
#include "audio/spectrum.h"
#include "vis/host_window.h"
#include "vis/vis_session.h"

namespace velmo {

class VisPicture {
 public:
  // Our Glide renders at scale x 640 x 480, dithered to the board's 16-bit
  // look on request; then the session opens on the plug-in. False with
  // `error` as VisSession::open gives it.
  bool open(const std::string& pluginPath, int scale, bool dither, HostControls* controls, std::string* error);
  VisSession& session() { return session_; }

  // One frame from the spectrum of the audio centred on frame `centre` of
  // `history` (nothing is drawn while the session is stopped).
  void renderAt(const PcmHistory& history, int64_t centre);
  // One frame from a silent spectrum, for when nothing sounds.
  void renderSilence();

 private:
  VisSession session_;
  Spectrum spectrum_;
  SpectrumBytes bytes_ = {};
};

}  // namespace velmo
