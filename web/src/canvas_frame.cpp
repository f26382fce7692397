// Glide's 0x00RRGGBB frame to the canvas's RGBA bytes.
#include "canvas_frame.h"

#include <algorithm>

namespace velmo_page {

void CanvasFrame::take(const velmo::Frame& frame) {
  const size_t size = static_cast<size_t>(frame.width) * frame.height;
  if (rgba_.size() != size) rgba_.assign(size, 0xFF000000u);  // only when the size changes
  width_ = frame.width;
  height_ = frame.height;
  for (int y = 0; y < frame.height; ++y) {
    const uint32_t* in = frame.pixels + static_cast<size_t>(y) * frame.stride;
    uint32_t* out = rgba_.data() + static_cast<size_t>(y) * frame.width;
    for (int x = 0; x < frame.width; ++x) {
      const uint32_t p = in[x];
      out[x] = 0xFF000000u | (p & 0x0000FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
    }
  }
}

void CanvasFrame::clear() { std::fill(rgba_.begin(), rgba_.end(), 0xFF000000u); }

}  // namespace velmo_page
