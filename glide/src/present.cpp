// Hands each swapped frame to the presenter, the dump folder and the window.
#include "present.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "context.h"

namespace glide {
namespace {

struct DumpSettings {
  std::string folder;
  long every = 1;
  FxU32 frame = 0;
};
DumpSettings dump;

}  // namespace

void openPresenters(int width, int height, FxU32 owner) {
  const char* folder = std::getenv("VELMO_GLIDE_DUMP_DIR");
  dump.folder = folder ? folder : "";
  dump.every = 1;
  if (const char* every = std::getenv("VELMO_GLIDE_DUMP_EVERY")) {
    long n = std::strtol(every, nullptr, 10);
    if (n > 0) dump.every = n;
  }
  dump.frame = 0;
  openOwnWindow(width, height, owner);
}

void closePresenters() { closeOwnWindow(); }

bool framesWanted() {
  return context().presenter || !dump.folder.empty() || ownWindowOpen();
}

void presentFrame(const FxU32* pixels, int width, int height, int swapInterval) {
  auto& ctx = context();
  if (ctx.presenter) ctx.presenter(pixels, width, height, width, swapInterval, ctx.presenterUser);
  if (!dump.folder.empty()) {
    if (dump.frame % FxU32(dump.every) == 0) {
      char path[4096];
      int n = std::snprintf(path, sizeof path, "%s/frame%06u.bmp", dump.folder.c_str(),
                            unsigned(dump.frame));
      if (n > 0 && size_t(n) < sizeof path) writeBmp(path, pixels, width, height);
    }
    ++dump.frame;
  }
  showInOwnWindow(pixels, width, height, swapInterval);
}

bool writeBmp(const char* path, const FxU32* pixels, int width, int height) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  const FxU32 imageBytes = FxU32(width) * FxU32(height) * 4u;
  unsigned char header[54] = {'B', 'M'};
  auto put32 = [&](int at, FxU32 v) {
    for (int i = 0; i < 4; ++i) header[at + i] = (unsigned char)(v >> (8 * i));
  };
  put32(2, 54 + imageBytes);
  put32(10, 54);
  put32(14, 40);
  put32(18, FxU32(width));
  put32(22, FxU32(-height));  // negative height: rows stored top first
  header[26] = 1;
  header[28] = 32;
  put32(34, imageBytes);
  bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;
  for (int row = 0; ok && row < height; ++row) {
    unsigned char line[4 * 4 * 800];  // up to 3200 pixels (800 x 4) per row
    int n = width < 3200 ? width : 3200;
    for (int x = 0; x < n; ++x) {
      FxU32 p = pixels[size_t(row) * size_t(width) + size_t(x)];
      line[4 * x + 0] = (unsigned char)(p & 0xFF);
      line[4 * x + 1] = (unsigned char)((p >> 8) & 0xFF);
      line[4 * x + 2] = (unsigned char)((p >> 16) & 0xFF);
      line[4 * x + 3] = 0;
    }
    ok = std::fwrite(line, 4, size_t(n), file) == size_t(n);
  }
  return std::fclose(file) == 0 && ok;
}

}  // namespace glide
