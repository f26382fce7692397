// Loads a 3DF texture file into the accelerator's first texture unit.
// A texture that cannot be loaded ends the host process.
#include <cstdio>
#include <cstdlib>
#include <glide.h>
#include <glideutl.h>

#include "display/display.h"

int lightTexture;
int barTexture;
int fontTexture;
int logoTexture;

void* (*textureBufferAlloc)(size_t size) = malloc;

static const char textureErrorCaption[] = "An ERROR";

static void textureError(const char* text) {
  MessageBoxA(hostModule->parentWindow, text, textureErrorCaption, MB_ICONINFORMATION);
}

void loadTexture(const char* path, int* slot) {
  Gu3dfInfo info;
  if (!gu3dfGetInfo(path, &info)) {
    grGlideShutdown();
    char text[64 + 4096];
    snprintf(text, sizeof text, "ERROR: Could not load texture: %s", path);
    textureError(text);
    exit(-1);
  }

  info.data = textureBufferAlloc(info.mem_required);
  if (info.data == 0) {
    static const char text[] = "Not enough memory for texture\n";
    printf("%s", text);
    grGlideShutdown();
    textureError(text);
    exit(-1);
  }

  if (!gu3dfLoad(path, &info)) {
    static const char text[] = "Cannot load texture file\n";
    printf("%s", text);
    grGlideShutdown();
    textureError(text);
    exit(-1);
  }

  *slot = (int)guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, info.header.width,
                                   info.header.height, info.header.format, GR_MIPMAP_NEAREST,
                                   info.header.small_lod, info.header.large_lod,
                                   info.header.aspect_ratio, GR_TEXTURECLAMP_WRAP,
                                   GR_TEXTURECLAMP_WRAP, GR_TEXTUREFILTER_BILINEAR,
                                   GR_TEXTUREFILTER_BILINEAR, 0.0f, FXFALSE);
  if (*slot == -1) {
    static const char text[] = "could not allocate memory for Texture\n";
    printf("%s", text);
    textureError(text);  // the display is still open behind the box
    grGlideShutdown();
    exit(-1);
  }

  guTexDownloadMipMap(*slot, info.data, &info.table.nccTable);
  free(info.data);
}
