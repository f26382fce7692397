// Library set-up and the render-state setters.
#include <cstring>

#include "context.h"
#include "present.h"
#include "record.h"
#include "renderer.h"
#include "texture_memory.h"

using glide::context;

namespace {

bool screenSize(GrScreenResolution_t resolution, int* width, int* height) {
  static const int sizes[][2] = {{320, 200}, {320, 240}, {400, 256}, {512, 384}, {640, 200}, {640, 350}, {640, 400}, {640, 480}, {800, 600}};
  if (resolution < 0 || resolution >= int(sizeof sizes / sizeof sizes[0])) return false;
  *width = sizes[resolution][0];
  *height = sizes[resolution][1];
  return true;
}

void closeWindow() {
  auto& ctx = context();
  // Queued drawing goes: nobody can see these buffers any more.
  glide::stopRenderer();
  glide::closePresenters();
  ctx.open = false;
  for (auto& buffer : ctx.colour) std::vector<FxU32>().swap(buffer);
  std::vector<FxU16>().swap(ctx.depth);
  std::vector<FxU32>().swap(ctx.presentBuffer);
  ctx.width = ctx.height = 0;
}

// Applies a change to the render state. The pixel path takes a new snapshot
// only when something changed (the plug-in sets the same texture source for
// every cone).
template <typename Change>
void changeState(Change change) {
  auto& ctx = context();
  glide::RenderState next = ctx.state;
  change(next);
  if (next != ctx.state) {
    ctx.state = next;
    ctx.drawStateChanged = true;
  }
}

bool validCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                  GrCombineOther_t other) {
  bool functionOk = (function >= 0 && function <= 9) || function == 0x10;
  bool factorOk = (factor >= 0 && factor <= 5) || (factor >= 8 && factor <= 0xd);
  return functionOk && factorOk && local >= 0 && local <= 2 && other >= 0 && other <= 2;
}

}  // namespace

extern "C" {

FX_ENTRY void FX_CALL grGlideInit(void) {
  GLIDE_RECORD("grGlideInit");
  auto& ctx = context();
  if (ctx.initialised) return;
  glide::readEnvironment(ctx.settings);
  ctx.state = glide::defaultRenderState();
  ctx.drawStateChanged = true;
  glide::resetTextureMemory();
  ctx.initialised = true;
}

FX_ENTRY void FX_CALL grGlideShutdown(void) {
  GLIDE_RECORD("grGlideShutdown");
  auto& ctx = context();
  if (!ctx.initialised) return;
  closeWindow();
  glide::resetTextureMemory();
  ctx.initialised = false;
}

FX_ENTRY FxBool FX_CALL grSstQueryHardware(GrHwConfiguration* config) {
  GLIDE_RECORD("grSstQueryHardware");
  auto& ctx = context();
  bool board = ctx.initialised ? !ctx.settings.noBoard : false;
  if (config) {
    std::memset(config, 0, sizeof *config);
    if (board) {
      // One Voodoo Graphics board with a single texture unit.
      config->num_sst = 1;
      config->SSTs[0].type = GR_SSTTYPE_VOODOO;
      GrVoodooConfig_t& voodoo = config->SSTs[0].sstBoard.VoodooConfig;
      voodoo.fbRam = 2;
      voodoo.fbiRev = 2;
      voodoo.nTexelfx = 1;
      voodoo.sliDetect = FXFALSE;
      voodoo.tmuConfig[0].tmuRev = 1;
      voodoo.tmuConfig[0].tmuRam = int(ctx.settings.textureMemory >> 20);
    }
  }
  return board ? FXTRUE : FXFALSE;
}

FX_ENTRY void FX_CALL grSstSelect(int which) { GLIDE_RECORD("grSstSelect", double(which)); }

FX_ENTRY FxBool FX_CALL grSstWinOpen(FxU32 hWnd, GrScreenResolution_t resolution,
                                     GrScreenRefresh_t refresh, GrColorFormat_t format,
                                     GrOriginLocation_t origin, int nColBuffers,
                                     int nAuxBuffers) {
  GLIDE_RECORD("grSstWinOpen", double(hWnd), double(resolution), double(refresh),
               double(format), double(origin), double(nColBuffers), double(nAuxBuffers));
  auto& ctx = context();
  if (!ctx.initialised || ctx.settings.noBoard) return FXFALSE;
  int width = 0, height = 0;
  if (!screenSize(resolution, &width, &height)) return FXFALSE;
  if (origin != GR_ORIGIN_UPPER_LEFT && origin != GR_ORIGIN_LOWER_LEFT) return FXFALSE;
  if (nColBuffers < 1 || nColBuffers > 3 || nAuxBuffers < 0 || nAuxBuffers > 1) return FXFALSE;
  if (ctx.open) closeWindow();

  // Scale=auto: chosen anew each time from where the picture opens.
  if (ctx.settings.autoScale) ctx.settings.scale = glide::autoScale(width, height, hWnd);
  int scale = ctx.settings.scale;
  ctx.width = width * scale;
  ctx.height = height * scale;
  ctx.originLowerLeft = origin == GR_ORIGIN_LOWER_LEFT;
  ctx.colorFormat = (format >= 0 && format <= 3) ? format : GR_COLORFORMAT_ARGB;
  // A Voodoo at these sizes keeps room for the depth buffer in its frame
  // buffer memory whether or not the caller counts it, so depth testing works
  // with nAuxBuffers 0 unless asked to be strict.
  ctx.hasDepth = nAuxBuffers > 0 || !ctx.settings.strictAux;
  size_t pixels = size_t(ctx.width) * size_t(ctx.height);
  for (auto& buffer : ctx.colour) buffer.assign(pixels, 0);
  // One spare value: a vector kernel gathers depth values 32 bits at a time.
  ctx.depth.assign(ctx.hasDepth ? pixels + 1 : 0, 0xFFFF);
  ctx.presentBuffer.assign(pixels, 0);
  ctx.back = 0;
  ctx.frameCount = 0;
  ctx.open = true;
  glide::startRenderer(ctx);
  glide::openPresenters(ctx.width, ctx.height, hWnd);
  return FXTRUE;
}

FX_ENTRY void FX_CALL grColorCombine(GrCombineFunction_t function, GrCombineFactor_t factor,
                                     GrCombineLocal_t local, GrCombineOther_t other,
                                     FxBool invert) {
  GLIDE_RECORD("grColorCombine", double(function), double(factor), double(local), double(other),
               double(invert));
  if (!validCombine(function, factor, local, other)) return;
  changeState([&](glide::RenderState& s) { s.color = {function, factor, local, other, invert != 0}; });
}

FX_ENTRY void FX_CALL grAlphaCombine(GrCombineFunction_t function, GrCombineFactor_t factor,
                                     GrCombineLocal_t local, GrCombineOther_t other,
                                     FxBool invert) {
  GLIDE_RECORD("grAlphaCombine", double(function), double(factor), double(local), double(other),
               double(invert));
  if (!validCombine(function, factor, local, other)) return;
  changeState([&](glide::RenderState& s) { s.alpha = {function, factor, local, other, invert != 0}; });
}

FX_ENTRY void FX_CALL grConstantColorValue(GrColor_t value) {
  GLIDE_RECORD("grConstantColorValue", double(value));
  changeState([&](glide::RenderState& s) { s.constantColor = value; });
}

FX_ENTRY void FX_CALL guTexCombineFunction(GrChipID_t tmu, GrTextureCombineFnc_t function) {
  GLIDE_RECORD("guTexCombineFunction", double(tmu), double(function));
  if (tmu != GR_TMU0 || function < 0 || function > GR_TEXTURECOMBINE_ONE) return;
  changeState([&](glide::RenderState& s) { s.textureCombine = function; });
}

FX_ENTRY void FX_CALL grAlphaBlendFunction(GrAlphaBlendFnc_t rgbSrc, GrAlphaBlendFnc_t rgbDst,
                                           GrAlphaBlendFnc_t alphaSrc,
                                           GrAlphaBlendFnc_t alphaDst) {
  GLIDE_RECORD("grAlphaBlendFunction", double(rgbSrc), double(rgbDst), double(alphaSrc),
               double(alphaDst));
  auto valid = [](GrAlphaBlendFnc_t f) { return (f >= 0 && f <= 7) || f == 0xf; };
  if (!valid(rgbSrc) || !valid(rgbDst) || !valid(alphaSrc) || !valid(alphaDst)) return;
  changeState([&](glide::RenderState& s) {
    s.rgbSrc = rgbSrc;
    s.rgbDst = rgbDst;
    s.alphaSrc = alphaSrc;
    s.alphaDst = alphaDst;
  });
}

FX_ENTRY void FX_CALL grChromakeyMode(GrChromakeyMode_t mode) {
  GLIDE_RECORD("grChromakeyMode", double(mode));
  changeState([&](glide::RenderState& s) { s.chromaKey = mode == GR_CHROMAKEY_ENABLE; });
}

FX_ENTRY void FX_CALL grChromakeyValue(GrColor_t value) {
  GLIDE_RECORD("grChromakeyValue", double(value));
  changeState([&](glide::RenderState& s) { s.chromaValue = value; });
}

FX_ENTRY void FX_CALL grCullMode(GrCullMode_t mode) {
  GLIDE_RECORD("grCullMode", double(mode));
  if (mode < GR_CULL_DISABLE || mode > GR_CULL_POSITIVE) return;
  context().state.cull = mode;  // applied at set-up: no new snapshot for the pixel path
}

FX_ENTRY void FX_CALL grDepthBufferMode(GrDepthBufferMode_t mode) {
  GLIDE_RECORD("grDepthBufferMode", double(mode));
  if (mode < GR_DEPTHBUFFER_DISABLE || mode > GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS) return;
  changeState([&](glide::RenderState& s) { s.depthMode = mode; });
}

FX_ENTRY void FX_CALL grDepthBufferFunction(GrCmpFnc_t function) {
  GLIDE_RECORD("grDepthBufferFunction", double(function));
  if (function < GR_CMP_NEVER || function > GR_CMP_ALWAYS) return;
  changeState([&](glide::RenderState& s) { s.depthFunction = function; });
}

FX_ENTRY void FX_CALL grDepthMask(FxBool enable) {
  GLIDE_RECORD("grDepthMask", double(enable));
  changeState([&](glide::RenderState& s) { s.depthMask = enable != 0; });
}

}  // extern "C"
