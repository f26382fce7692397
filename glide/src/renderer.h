// Where submitted triangles and clears go. With one drawing thread they are
// drawn at once (the direct path). With more, the calling thread sets up each
// triangle and bins it, and each change of state, into the screen tiles it
// touches; the buffers are drawn only when something needs them, by the
// worker threads and the caller, each taking whole tiles and running a
// tile's commands in submission order, so every pixel sees its writes in the
// order of the calls and the picture is the direct path's to the bit.
#pragma once

#include "context.h"
#include "texture_memory.h"

namespace glide {

// Opens the renderer for the context's window: tiles and threads as the
// settings ask (at grSstWinOpen).
void startRenderer(Context& ctx);
// Discards queued work and stops every worker thread (window closed).
void stopRenderer();
// The number of threads drawing (1: the direct path); 0 when not started.
int drawingThreads();

void drawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c);
// Clears the back buffer (and the depth buffer when writeDepth).
void clearBuffers(FxU32 argb, FxU16 depth, bool writeDepth);
// Draws everything queued: before a swap, a read of the buffers, or
// whatever else needs them as the calls so far left them.
void finishDrawing();
// At a swap: draws the frame now when its picture is wanted at once;
// otherwise the workers draw it while the caller goes on.
void handOverFrame(bool pictureWanted);
// Draws what is queued if any of it reads the texture (before it changes).
void textureWillChange(const Mipmap& texture);

}  // namespace glide
