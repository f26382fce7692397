// What the pixel path reads of the render state, taken as a snapshot when
// the state changes: a triangle queued for later drawing keeps the state it
// was submitted with, and the pixel path never looks at the live context.
#pragma once

#include <cstddef>

#include "context.h"
#include "texture_memory.h"

namespace glide {

struct Kernel;

// The buffers a triangle draws into. Rows are stored top row of the picture
// first; screen row y (in the window's origin) is memory row
// rowOfScreenY0 + rowStep * y.
struct Target {
  FxU32* colour;
  FxU16* depth;  // null without a depth buffer
  int width, height;
  int rowOfScreenY0, rowStep;

  size_t rowOffset(int y) const { return size_t(rowOfScreenY0 + rowStep * y) * size_t(width); }
  int memoryRow(int y) const { return rowOfScreenY0 + rowStep * y; }
};

struct DrawState {
  RenderState render;
  Target target;
  const Mipmap* texture;  // the texture source, or null
  bool readsTexture;      // the combine reads the texture path
  bool depthTest;         // a depth buffer and a depth mode
  bool wBuffer;           // depth from oow, else from ooz
  bool depthWrite;        // depthTest and the depth mask
  bool dither;
  bool addAlpha;       // fast path: alpha blend ONE/ONE, else ONE/ZERO
  FxU32 constantArgb;  // the constant colour, 0xAARRGGBB
  FxU32 chromaRgb;     // the chroma-key value, 0x00RRGGBB
  // The fast pixel path chosen for this state (used for triangles whose
  // texture is downloaded), or null for the reference path.
  const Kernel* kernel;
};

// The context's back buffer and depth buffer.
Target currentTarget(Context& ctx);

// The snapshot of the context's current state: its buffers, render state,
// texture source and settings.
void takeDrawState(Context& ctx, DrawState* state);

}  // namespace glide
