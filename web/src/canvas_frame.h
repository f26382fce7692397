// The picture as the page's canvas takes it: RGBA bytes, top row first. Our
// Glide's frames (0x00RRGGBB) are converted into one buffer made once.
#pragma once
#include <cstdint>
#include <vector>

#include "output/frame.h"

namespace velmo_page {

class CanvasFrame {
 public:
  void take(const velmo::Frame& frame);
  void clear();
  const uint8_t* pixels() const { return reinterpret_cast<const uint8_t*>(rgba_.data()); }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  std::vector<uint32_t> rgba_;  // 0xAABBGGRR words are R, G, B, A bytes in memory
  int width_ = 0;
  int height_ = 0;
};

}  // namespace velmo_page
