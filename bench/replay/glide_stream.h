// The plug-in's own Glide calls, recorded once and replayed: through our
// Glide, or through OpenGL (gl_replay.h) the way a GL-based Glide wrapper
// draws them.
#pragma once

#include <string>
#include <vector>

#include <glide.h>

namespace replay {

// The calls the plug-in makes.
enum class Op {
  glideInit,
  glideShutdown,
  sstQueryHardware,
  sstSelect,
  sstWinOpen,
  bufferClear,
  bufferSwap,
  colorCombine,
  alphaCombine,
  constantColorValue,
  alphaBlendFunction,
  chromakeyMode,
  chromakeyValue,
  cullMode,
  depthBufferMode,
  depthBufferFunction,
  depthMask,
  drawTriangle,
  drawTriangleWithClip,
  texAllocateMemory,
  texDownloadMipMap,
  texSource,
  texCombineFunction,
  tdfGetInfo,
  tdfLoad,
  other
};

struct GlideCall {
  Op op;
  std::vector<double> args;  // the numeric arguments, in order
  GrVertex vertices[3];      // for the triangle calls
  std::string file;          // for gu3dfGetInfo / gu3dfLoad: the file's name
};

struct GlideStream {
  std::vector<GlideCall> calls;
  // Index of the first call of each frame; the calls before the first are
  // the set-up (window, state, textures), those after the last swap the end.
  std::vector<size_t> frameStarts;
  size_t framesEnd = 0;  // one past the last frame's grBufferSwap
};

// Runs the plug-in, loaded as a host loads it from the build's output
// folder, for `frames` frames of a moving spectrum and records every Glide
// call. False, with the reason, when the plug-in cannot run.
bool recordPluginStream(int frames, GlideStream* stream, std::string* why);

// Replays calls [first, last) through the Glide 2 API. Texture files are
// read from `textureFolder` under their recorded names.
void replayThroughGlide(const GlideStream& stream, size_t first, size_t last,
                        const std::string& textureFolder);

// Keeps a stream in a file, for replaying it in another build (a Windows
// one under Wine). False when the file cannot be written or read whole.
bool saveStream(const GlideStream& stream, const std::string& path);
bool loadStream(const std::string& path, GlideStream* stream);

}  // namespace replay
