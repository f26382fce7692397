// Replaying recorded Glide calls through Glide, and keeping them in a file.
#include "glide_stream.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include <glideutl.h>

namespace replay {
namespace {

// The texture file last read, as gu3dfLoad left it, for the download after it.
struct LoadedTexture {
  Gu3dfInfo info{};
  std::vector<unsigned char> texels;
};

}  // namespace

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

namespace {

// The file: "VGS1", then every call (its op, its arguments, its three
// vertices as they lie in memory, its file name), then the frame starts and
// the end. Written and read on x86, where every build lays GrVertex out
// alike (floats only).
constexpr char kMagic[4] = {'V', 'G', 'S', '1'};

void put(std::FILE* f, uint64_t v) { std::fwrite(&v, sizeof v, 1, f); }

bool get(std::FILE* f, uint64_t* v) { return std::fread(v, sizeof *v, 1, f) == 1; }

}  // namespace

bool saveStream(const GlideStream& stream, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fwrite(kMagic, 1, sizeof kMagic, f);
  put(f, stream.calls.size());
  for (const GlideCall& c : stream.calls) {
    put(f, uint64_t(c.op));
    put(f, c.args.size());
    std::fwrite(c.args.data(), sizeof(double), c.args.size(), f);
    std::fwrite(c.vertices, sizeof c.vertices, 1, f);
    put(f, c.file.size());
    std::fwrite(c.file.data(), 1, c.file.size(), f);
  }
  put(f, stream.frameStarts.size());
  for (size_t start : stream.frameStarts) put(f, start);
  put(f, stream.framesEnd);
  return std::fclose(f) == 0;
}

bool loadStream(const std::string& path, GlideStream* stream) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char magic[sizeof kMagic];
  uint64_t count = 0;
  bool ok = std::fread(magic, 1, sizeof magic, f) == sizeof magic &&
            std::memcmp(magic, kMagic, sizeof magic) == 0 && get(f, &count);
  stream->calls.assign(ok ? size_t(count) : 0, GlideCall{});
  for (GlideCall& c : stream->calls) {
    uint64_t op = 0, args = 0, name = 0;
    ok = ok && get(f, &op) && op <= uint64_t(Op::other) && get(f, &args) && args < 64;
    if (!ok) break;
    c.op = Op(op);
    c.args.resize(size_t(args));
    ok = std::fread(c.args.data(), sizeof(double), c.args.size(), f) == c.args.size() &&
         std::fread(c.vertices, sizeof c.vertices, 1, f) == 1 && get(f, &name) && name < 4096;
    if (!ok) break;
    c.file.resize(size_t(name));
    ok = std::fread(&c.file[0], 1, c.file.size(), f) == c.file.size();
  }
  ok = ok && get(f, &count) && count > 0 && count <= stream->calls.size();
  stream->frameStarts.assign(ok ? size_t(count) : 0, 0);
  for (size_t& start : stream->frameStarts) {
    uint64_t v = 0;
    ok = ok && get(f, &v) && v <= stream->calls.size();
    start = size_t(v);
  }
  uint64_t end = 0;
  ok = ok && get(f, &end) && end <= stream->calls.size();
  stream->framesEnd = size_t(end);
  std::fclose(f);
  return ok;
}

}  // namespace replay
