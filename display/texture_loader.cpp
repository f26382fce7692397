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

// Ends the host over a texture: the text on standard output when asked,
// the box shown before or after the accelerator is released, status -1.
enum { quietly = 0,
       printed = 1 };
enum { boxAfterShutdown = 0,
       boxBeforeShutdown = 1 };

[[noreturn]] static void failTexture(const char* text, int print, int boxFirst) {
  if (print) printf("%s", text);
  if (boxFirst) textureError(text);
  grGlideShutdown();
  if (!boxFirst) textureError(text);
  exit(-1);
}

void textureNotFound(const char* path) {
  char text[64 + 4096];
  snprintf(text, sizeof text, "ERROR: Could not load texture: %s", path);
  failTexture(text, quietly, boxAfterShutdown);
}

void loadTexture(const char* path, int* slot) {
  Gu3dfInfo info;
  if (!gu3dfGetInfo(path, &info)) textureNotFound(path);

  info.data = textureBufferAlloc(info.mem_required);
  if (info.data == 0) failTexture("Not enough memory for texture\n", printed, boxAfterShutdown);

  if (!gu3dfLoad(path, &info)) failTexture("Cannot load texture file\n", printed, boxAfterShutdown);

  *slot = (int)guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, info.header.width,
                                   info.header.height, info.header.format, GR_MIPMAP_NEAREST,
                                   info.header.small_lod, info.header.large_lod,
                                   info.header.aspect_ratio, GR_TEXTURECLAMP_WRAP,
                                   GR_TEXTURECLAMP_WRAP, GR_TEXTUREFILTER_BILINEAR,
                                   GR_TEXTUREFILTER_BILINEAR, 0.0f, FXFALSE);
  // The display is still open behind this box.
  if (*slot == -1) failTexture("could not allocate memory for Texture\n", printed, boxBeforeShutdown);

  guTexDownloadMipMap(*slot, info.data, &info.table.nccTable);
  free(info.data);
}
