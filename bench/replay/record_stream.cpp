// Recording the plug-in's Glide calls as a host runs it (Linux only: it
// loads the plug-in through the POSIX Win32 layer).
#include <cstring>
#include <map>

#include <velmo_glide.h>

#include "glide_stream.h"
#include "plugin_host.h"

namespace replay {
namespace {

Op opNamed(const char* name) {
  static const std::map<std::string, Op> ops = {
      {"grGlideInit", Op::glideInit},
      {"grGlideShutdown", Op::glideShutdown},
      {"grSstQueryHardware", Op::sstQueryHardware},
      {"grSstSelect", Op::sstSelect},
      {"grSstWinOpen", Op::sstWinOpen},
      {"grBufferClear", Op::bufferClear},
      {"grBufferSwap", Op::bufferSwap},
      {"grColorCombine", Op::colorCombine},
      {"grAlphaCombine", Op::alphaCombine},
      {"grConstantColorValue", Op::constantColorValue},
      {"grAlphaBlendFunction", Op::alphaBlendFunction},
      {"grChromakeyMode", Op::chromakeyMode},
      {"grChromakeyValue", Op::chromakeyValue},
      {"grCullMode", Op::cullMode},
      {"grDepthBufferMode", Op::depthBufferMode},
      {"grDepthBufferFunction", Op::depthBufferFunction},
      {"grDepthMask", Op::depthMask},
      {"grDrawTriangle", Op::drawTriangle},
      {"guDrawTriangleWithClip", Op::drawTriangleWithClip},
      {"guTexAllocateMemory", Op::texAllocateMemory},
      {"guTexDownloadMipMap", Op::texDownloadMipMap},
      {"guTexSource", Op::texSource},
      {"guTexCombineFunction", Op::texCombineFunction},
      {"gu3dfGetInfo", Op::tdfGetInfo},
      {"gu3dfLoad", Op::tdfLoad},
  };
  auto found = ops.find(name);
  return found == ops.end() ? Op::other : found->second;
}

void FX_CALL receive(const VglCall* call, void* user) {
  GlideCall copy{};
  copy.op = opNamed(call->name);
  copy.args.assign(call->args, call->args + call->argCount);
  for (int i = 0; i < call->vertexCount; ++i) copy.vertices[i] = call->vertices[i];
  if (call->text) {
    const char* slash = std::strrchr(call->text, '/');
    copy.file = slash ? slash + 1 : call->text;
  }
  static_cast<GlideStream*>(user)->calls.push_back(copy);
}

}  // namespace

bool recordPluginStream(int frames, GlideStream* stream, std::string* why) {
  hardening::PluginHost host;
  if (!host.ready()) {
    *why = host.why();
    return false;
  }
  host.setCaption("7. Velmo Test Band - Glow In The Dark - Winamp");
  stream->calls.clear();
  stream->frameStarts.clear();
  vglRecordBegin(receive, stream);
  VisModule* module = host.module();
  module->init(module);
  for (int frame = 0; frame < frames; ++frame) {
    stream->frameStarts.push_back(stream->calls.size());
    host.fillSpectrum(frame);
    module->render(module);
  }
  stream->framesEnd = stream->calls.size();
  module->quit(module);
  vglRecordEnd();
  return true;
}

}  // namespace replay
