// What the play loop needs from a source of sound: keep it flowing, say which
// frame is being heard, and hold recent audio for the spectrum. The playlist
// transport and live capture are the two kinds.
#pragma once
#include <cstdint>
#include <string>

#include "audio/pcm_history.h"
#include "vis/host_window.h"

namespace velmo {

class Feed : public HostControls {
 public:
  // Called once per frame: decode ahead, take in captured audio.
  virtual void fill() = 0;
  // False while stopped: the plug-in then gets a silent spectrum.
  virtual bool sounding() = 0;
  // The frame being heard, in the numbering of history().
  virtual int64_t heardFrame() = 0;
  // Whether frames after heardFrame() exist yet (false for live input).
  virtual bool canLookAhead() const = 0;
  virtual const PcmHistory& history() const = 0;
  virtual int sampleRate() const = 0;
  virtual int channels() const = 0;
  virtual std::string caption() const = 0;
  virtual bool quitRequested() const = 0;
  // The last track has played to its end.
  virtual bool ended() const = 0;
};

}  // namespace velmo
