// The plug-in fed with the spectrum of the sound, one frame at a time.
#include "vis/vis_picture.h"

#include <velmo_glide.h>

#include <cstring>

namespace velmo {

bool VisPicture::open(const std::string& pluginPath, int scale, bool dither, HostControls* controls,
                      std::string* error) {
  vglSetScale(scale);
  vglSetDither(dither ? 1 : 0);
  return session_.open(pluginPath, controls, error);
}

void VisPicture::renderAt(const PcmHistory& history, int64_t centre) {
  if (!session_.running()) return;
  spectrum_.computeAt(history, centre, bytes_);
  session_.render(bytes_);
}

void VisPicture::renderSilence() {
  if (!session_.running()) return;
  std::memset(bytes_, 0, sizeof bytes_);
  session_.render(bytes_);
}

}  // namespace velmo
