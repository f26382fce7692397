// The render state the plug-in's display sets when it opens (W-buffer "less",
// texel scaled by iterated alpha, chroma key black), and with it the additive
// blend its bars draw with: for tests and benchmarks that draw as the plug-in
// does. The display test checks that openDisplay sets exactly this state.
#pragma once

#include <glide.h>

inline void usePluginDisplayState() {
  guTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_ADD);
  grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
  grDepthBufferFunction(GR_CMP_LESS);
  grDepthMask(FXTRUE);
  grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL_ALPHA,
                 GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
  grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_ITERATED,
                 GR_COMBINE_OTHER_TEXTURE, FXFALSE);
  grChromakeyMode(GR_CHROMAKEY_ENABLE);
  grChromakeyValue(0);
}

inline void usePluginDrawState() {
  usePluginDisplayState();
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
}
