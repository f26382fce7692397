// A Glide stream drawn by OpenGL through OSMesa.
#include "gl_replay.h"

#define GL_GLEXT_PROTOTYPES  // glBlendFuncSeparate
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/osmesa.h>

#include <cstdint>
#include <vector>

#include <glideutl.h>

namespace replay {
namespace {

struct Texture {
  GLuint name = 0;
  int width = 0, height = 0, levels = 0;
  int smallLod = 0, largeLod = 0, aspect = 0;
  bool mipmapped = false, clampS = false, clampT = false;
  float sRange = 256.0f, tRange = 256.0f;  // texture units across each side
};

struct Vertex {
  float x, y, z;
  uint8_t colour[4];
  float s, t, r, q;
};

GLenum blendFactor(int glide) {
  switch (glide) {
    case GR_BLEND_ZERO: return GL_ZERO;
    case GR_BLEND_SRC_ALPHA: return GL_SRC_ALPHA;
    case GR_BLEND_SRC_COLOR: return GL_SRC_COLOR;
    case GR_BLEND_DST_ALPHA: return GL_DST_ALPHA;
    case GR_BLEND_ONE: return GL_ONE;
    case GR_BLEND_ONE_MINUS_SRC_ALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case GR_BLEND_ONE_MINUS_SRC_COLOR: return GL_ONE_MINUS_SRC_COLOR;
    case GR_BLEND_ONE_MINUS_DST_ALPHA: return GL_ONE_MINUS_DST_ALPHA;
    default: return GL_SRC_ALPHA_SATURATE;
  }
}

GLenum compareFunction(int glide) {
  static const GLenum functions[] = {GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL,
                                     GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
  return glide >= 0 && glide < 8 ? functions[glide] : GL_ALWAYS;
}

// RGB565 texels widened to RGBA8 as our Glide decodes them; black becomes
// transparent for the chroma key's alpha test.
void widen565(const FxU16* texels, size_t count, std::vector<uint8_t>* out) {
  out->resize(count * 4);
  for (size_t i = 0; i < count; ++i) {
    const unsigned t = texels[i];
    const unsigned r = t >> 11 & 31, g = t >> 5 & 63, b = t & 31;
    uint8_t* p = out->data() + 4 * i;
    p[0] = uint8_t(r << 3 | r >> 2);
    p[1] = uint8_t(g << 2 | g >> 4);
    p[2] = uint8_t(b << 3 | b >> 2);
    p[3] = t == 0 ? 0 : 255;
  }
}

}  // namespace

struct GlReplay::State {
  OSMesaContext context = nullptr;
  std::vector<uint8_t> pixels;
  std::vector<Texture> textures;
  std::vector<Vertex> batch;
  const Texture* source = nullptr;
  Gu3dfInfo loaded{};
  std::vector<uint8_t> loadedTexels, widened;
  // The state as last set, so that repeating a value draws no batch.
  int blend[4] = {-1, -1, -1, -1};
  int cull = -1, depthMode = -1, depthFunction = -1, depthMask = -1, chroma = -1;

  void flush() {
    if (batch.empty()) return;
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), &batch[0].x);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), batch[0].colour);
    glTexCoordPointer(4, GL_FLOAT, sizeof(Vertex), &batch[0].s);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(batch.size()));
    batch.clear();
  }

  // Runs a state change, drawing the batch first when the value changes.
  template <typename Apply>
  void change(int* held, int value, Apply apply) {
    if (*held == value) return;
    flush();
    *held = value;
    apply();
  }

  void addTriangle(const GrVertex* v) {
    for (int k = 0; k < 3; ++k) {
      Vertex out;
      out.x = v[k].x;
      out.y = v[k].y;
      out.z = 1.0f - v[k].oow;  // ordered as w, like the W-buffer
      const float a = v[k].a < 0 ? 0 : (v[k].a > 255 ? 255 : v[k].a);
      out.colour[0] = out.colour[1] = out.colour[2] = out.colour[3] = uint8_t(a);
      const float sRange = source ? source->sRange : 256.0f, tRange = source ? source->tRange : 256.0f;
      out.s = v[k].tmuvtx[0].sow / sRange;
      out.t = v[k].tmuvtx[0].tow / tRange;
      out.r = 0.0f;
      out.q = v[k].oow;
      batch.push_back(out);
    }
  }

  void allocate(const std::vector<double>& a) {
    Texture t;
    t.width = int(a[2]);
    t.height = int(a[3]);
    t.mipmapped = int(a[5]) != GR_MIPMAP_DISABLE;
    t.smallLod = int(a[6]);
    t.largeLod = int(a[7]);
    t.aspect = int(a[8]);
    t.clampS = int(a[9]) == GR_TEXTURECLAMP_CLAMP;
    t.clampT = int(a[10]) == GR_TEXTURECLAMP_CLAMP;
    t.levels = t.smallLod - t.largeLod + 1;
    const int larger = t.width > t.height ? t.width : t.height;
    t.sRange = 256.0f * float(t.width) / float(larger);
    t.tRange = 256.0f * float(t.height) / float(larger);
    textures.push_back(t);
  }

  void download(size_t id) {
    if (id >= textures.size() || loaded.header.format != GR_TEXFMT_RGB_565) return;
    Texture& t = textures[id];
    if (!t.name) glGenTextures(1, &t.name);
    flush();
    glBindTexture(GL_TEXTURE_2D, t.name);
    const FxU16* texels = reinterpret_cast<const FxU16*>(loadedTexels.data());
    int w = t.width, h = t.height;
    for (int level = 0; level < t.levels; ++level) {
      widen565(texels, size_t(w) * size_t(h), &widened);
      glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                   widened.data());
      texels += size_t(w) * size_t(h);
      w = w > 1 ? w / 2 : 1;
      h = h > 1 ? h / 2 : 1;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, t.levels - 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    t.mipmapped ? GL_LINEAR_MIPMAP_NEAREST : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, t.clampS ? GL_CLAMP_TO_EDGE : GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, t.clampT ? GL_CLAMP_TO_EDGE : GL_REPEAT);
    if (source) glBindTexture(GL_TEXTURE_2D, source->name);
  }
};

GlReplay::GlReplay() : state_(new State) {}

GlReplay::~GlReplay() {
  if (state_->context) OSMesaDestroyContext(state_->context);
}

bool GlReplay::open(int width, int height, std::string* why) {
  State& s = *state_;
  s.context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
  if (!s.context) {
    *why = "OSMesaCreateContextExt failed";
    return false;
  }
  s.pixels.assign(size_t(width) * size_t(height) * 4, 0);
  if (!OSMesaMakeCurrent(s.context, s.pixels.data(), GL_UNSIGNED_BYTE, width, height)) {
    *why = "OSMesaMakeCurrent failed";
    return false;
  }
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 640, 0, 480, 0, -1);  // z 0..1 to depth 0..1
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glFrontFace(GL_CCW);
  glAlphaFunc(GL_GREATER, 0.0f);
  // Colour = texel x iterated alpha; alpha = the texel's, for the key.
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB, GL_PRIMARY_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_REPLACE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);
  s.batch.reserve(3 * 4096);
  return glGetError() == GL_NO_ERROR || (*why = "GL set-up failed", false);
}

std::vector<uint32_t> GlReplay::picture() const {
  const State& s = *state_;
  GLint width = 0, height = 0, format = 0;
  void* buffer = nullptr;
  OSMesaGetColorBuffer(s.context, &width, &height, &format, &buffer);
  std::vector<uint32_t> out(size_t(width) * size_t(height));
  const uint8_t* rgba = static_cast<const uint8_t*>(buffer);
  for (GLint y = 0; y < height; ++y)
    for (GLint x = 0; x < width; ++x) {
      const uint8_t* p = rgba + 4 * (size_t(height - 1 - y) * size_t(width) + size_t(x));
      out[size_t(y) * size_t(width) + size_t(x)] = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
  return out;
}

void GlReplay::replay(const GlideStream& stream, size_t first, size_t last,
                      const std::string& textureFolder) {
  State& s = *state_;
  for (size_t i = first; i < last; ++i) {
    const GlideCall& c = stream.calls[i];
    const std::vector<double>& a = c.args;
    switch (c.op) {
      case Op::bufferClear:
        s.flush();
        glClearColor(float(FxU32(a[0]) >> 16 & 255) / 255.0f, float(FxU32(a[0]) >> 8 & 255) / 255.0f,
                     float(FxU32(a[0]) & 255) / 255.0f, float(a[1]) / 255.0f);
        glClearDepth(a[2] / 65535.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        break;
      case Op::bufferSwap:
        s.flush();
        glFinish();
        break;
      case Op::alphaBlendFunction: {
        int packed = int(a[0]) | int(a[1]) << 4 | int(a[2]) << 8 | int(a[3]) << 12;
        s.change(&s.blend[0], packed, [&] {
          glBlendFuncSeparate(blendFactor(int(a[0])), blendFactor(int(a[1])),
                              blendFactor(int(a[2])), blendFactor(int(a[3])));
        });
        break;
      }
      case Op::chromakeyMode:
        s.change(&s.chroma, int(a[0]), [&] {
          if (int(a[0]) == GR_CHROMAKEY_ENABLE)
            glEnable(GL_ALPHA_TEST);
          else
            glDisable(GL_ALPHA_TEST);
        });
        break;
      case Op::cullMode:
        s.change(&s.cull, int(a[0]), [&] {
          // Glide's POSITIVE culls counter-clockwise (y up) triangles.
          if (int(a[0]) == GR_CULL_DISABLE) {
            glDisable(GL_CULL_FACE);
          } else {
            glEnable(GL_CULL_FACE);
            glCullFace(int(a[0]) == GR_CULL_POSITIVE ? GL_FRONT : GL_BACK);
          }
        });
        break;
      case Op::depthBufferMode:
        s.change(&s.depthMode, int(a[0]), [&] {
          if (int(a[0]) == GR_DEPTHBUFFER_DISABLE)
            glDisable(GL_DEPTH_TEST);
          else
            glEnable(GL_DEPTH_TEST);
        });
        break;
      case Op::depthBufferFunction:
        s.change(&s.depthFunction, int(a[0]), [&] { glDepthFunc(compareFunction(int(a[0]))); });
        break;
      case Op::depthMask:
        s.change(&s.depthMask, int(a[0]), [&] { glDepthMask(a[0] != 0 ? GL_TRUE : GL_FALSE); });
        break;
      case Op::drawTriangle:
      case Op::drawTriangleWithClip: s.addTriangle(c.vertices); break;
      case Op::texAllocateMemory: s.allocate(a); break;
      case Op::texDownloadMipMap: s.download(size_t(a[0])); break;
      case Op::texSource: {
        const size_t id = size_t(FxU32(a[0]));
        const Texture* t = id < s.textures.size() ? &s.textures[id] : nullptr;
        if (t == s.source) break;
        s.flush();
        s.source = t;
        glBindTexture(GL_TEXTURE_2D, t ? t->name : 0);
        break;
      }
      case Op::tdfLoad: {
        const std::string path = textureFolder + "/" + c.file;
        if (gu3dfGetInfo(path.c_str(), &s.loaded)) {
          s.loadedTexels.assign(s.loaded.mem_required, 0);
          s.loaded.data = s.loadedTexels.data();
          gu3dfLoad(path.c_str(), &s.loaded);
        }
        break;
      }
      default: break;  // the combine, chroma value and window are fixed above
    }
  }
  s.flush();
}

}  // namespace replay
