// Recording the plug-in's Glide calls, and replaying them through Glide.
#include "glide_stream.h"

#include <cstring>
#include <map>

#include <glideutl.h>
#include <velmo_glide.h>

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

// The texture file last read, as gu3dfLoad left it, for the download after it.
struct LoadedTexture {
  Gu3dfInfo info{};
  std::vector<unsigned char> texels;
};

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

void replayThroughGlide(const GlideStream& stream, size_t first, size_t last,
                        const std::string& textureFolder) {
  static LoadedTexture loaded;
  for (size_t i = first; i < last; ++i) {
    const GlideCall& c = stream.calls[i];
    const std::vector<double>& a = c.args;
    auto u = [&](size_t k) { return FxU32(a[k]); };
    auto n = [&](size_t k) { return int(a[k]); };
    switch (c.op) {
      case Op::glideInit: grGlideInit(); break;
      case Op::glideShutdown: grGlideShutdown(); break;
      case Op::sstQueryHardware: {
        GrHwConfiguration hw;
        grSstQueryHardware(&hw);
        break;
      }
      case Op::sstSelect: grSstSelect(n(0)); break;
      case Op::sstWinOpen: grSstWinOpen(u(0), n(1), n(2), n(3), n(4), n(5), n(6)); break;
      case Op::bufferClear: grBufferClear(u(0), GrAlpha_t(a[1]), FxU16(a[2])); break;
      case Op::bufferSwap: grBufferSwap(n(0)); break;
      case Op::colorCombine: grColorCombine(n(0), n(1), n(2), n(3), n(4)); break;
      case Op::alphaCombine: grAlphaCombine(n(0), n(1), n(2), n(3), n(4)); break;
      case Op::constantColorValue: grConstantColorValue(u(0)); break;
      case Op::alphaBlendFunction: grAlphaBlendFunction(n(0), n(1), n(2), n(3)); break;
      case Op::chromakeyMode: grChromakeyMode(n(0)); break;
      case Op::chromakeyValue: grChromakeyValue(u(0)); break;
      case Op::cullMode: grCullMode(n(0)); break;
      case Op::depthBufferMode: grDepthBufferMode(n(0)); break;
      case Op::depthBufferFunction: grDepthBufferFunction(n(0)); break;
      case Op::depthMask: grDepthMask(n(0)); break;
      case Op::drawTriangle:
        grDrawTriangle(&c.vertices[0], &c.vertices[1], &c.vertices[2]);
        break;
      case Op::drawTriangleWithClip:
        guDrawTriangleWithClip(&c.vertices[0], &c.vertices[1], &c.vertices[2]);
        break;
      case Op::texAllocateMemory:
        guTexAllocateMemory(n(0), FxU8(a[1]), n(2), n(3), n(4), n(5), n(6), n(7), n(8), n(9),
                            n(10), n(11), n(12), float(a[13]), n(14));
        break;
      case Op::texDownloadMipMap:
        guTexDownloadMipMap(u(0), loaded.texels.data(), &loaded.info.table.nccTable);
        break;
      case Op::texSource: guTexSource(u(0)); break;
      case Op::texCombineFunction: guTexCombineFunction(n(0), n(1)); break;
      case Op::tdfGetInfo: break;  // gu3dfLoad below reads the file
      case Op::tdfLoad: {
        const std::string path = textureFolder + "/" + c.file;
        if (gu3dfGetInfo(path.c_str(), &loaded.info)) {
          loaded.texels.assign(loaded.info.mem_required, 0);
          loaded.info.data = loaded.texels.data();
          gu3dfLoad(path.c_str(), &loaded.info);
        }
        break;
      }
      case Op::other: break;
    }
  }
}

}  // namespace replay
