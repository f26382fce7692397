// Replays a recorded Glide stream through OpenGL in Mesa's off-screen
// renderer (OSMesa, drawn by llvmpipe), the way a GL-based Glide wrapper runs
// on a machine without a GPU: state changes become GL state, triangles are
// batched between state changes and drawn with one glDrawArrays per batch,
// a swap waits for the picture (glFinish).
//
// The work matches ours, not every pixel: textures are bilinear, mipmapped
// and perspective-correct, depth is tested and written, blending is additive,
// the chroma key becomes an alpha test on the texel (black texels get alpha
// 0), as wrappers do it. Only the render state the plug-in uses is mapped.
#pragma once

#include <memory>
#include <cstdint>
#include <string>
#include <vector>

#include "glide_stream.h"

namespace replay {

class GlReplay {
 public:
  GlReplay();
  ~GlReplay();
  // A context drawing into width x height RGBA pixels; the picture is the
  // 640 x 480 screen scaled to it.
  bool open(int width, int height, std::string* why);
  void replay(const GlideStream& stream, size_t first, size_t last,
              const std::string& textureFolder);
  // The last finished picture as 0x00RRGGBB, top row first.
  std::vector<uint32_t> picture() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace replay
