// One finished picture as our Glide hands it over: 0x00RRGGBB pixels, top row
// first. Valid only for the duration of the call that receives it.
#pragma once
#include <cstdint>

namespace velmo {

struct Frame {
  const uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;  // pixels from one row to the next
};

}  // namespace velmo
