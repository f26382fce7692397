// Snapshots of the render state for the pixel path, and the choice of its
// fast path, made once per change of state rather than per triangle.
#include "draw_state.h"

#include "triangle.h"

namespace glide {
namespace {

bool factorReadsTexture(GrCombineFactor_t f) {
  return f == GR_COMBINE_FACTOR_TEXTURE_ALPHA || f == GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA;
}

bool readsTexture(const RenderState& s) {
  return s.color.other == GR_COMBINE_OTHER_TEXTURE || s.alpha.other == GR_COMBINE_OTHER_TEXTURE ||
         factorReadsTexture(s.color.factor) || factorReadsTexture(s.alpha.factor) ||
         s.color.factor == GR_COMBINE_FACTOR_TEXTURE_RGB;
}

}  // namespace

Target currentTarget(Context& ctx) {
  Target target;
  target.colour = ctx.backBuffer();
  target.depth = ctx.hasDepth ? ctx.depth.data() : nullptr;
  target.width = ctx.width;
  target.height = ctx.height;
  target.rowOfScreenY0 = ctx.memoryRow(0);
  target.rowStep = ctx.originLowerLeft ? -1 : 1;
  return target;
}

void takeDrawState(Context& ctx, DrawState* state) {
  const RenderState& s = ctx.state;
  state->render = s;
  state->target = currentTarget(ctx);
  state->readsTexture = readsTexture(s);
  state->texture = state->readsTexture ? findMipmap(s.textureSource) : nullptr;
  state->depthTest = ctx.hasDepth && s.depthMode != GR_DEPTHBUFFER_DISABLE;
  state->wBuffer = s.depthMode == GR_DEPTHBUFFER_WBUFFER ||
                   s.depthMode == GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS;
  state->depthWrite = state->depthTest && s.depthMask;
  state->dither = ctx.settings.dither;
  state->addAlpha = s.alphaDst == GR_BLEND_ONE;
  state->constantArgb = toArgb(s.constantColor);
  state->chromaRgb = toArgb(s.chromaValue) & 0xFFFFFFu;
  state->kernel = ctx.settings.referencePath ? nullptr : chooseFastKernel(*state, ctx.settings);
}

}  // namespace glide
