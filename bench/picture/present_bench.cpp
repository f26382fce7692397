// What showing a frame in glide2x.dll's window costs: the time of
// grBufferSwap(0) (no pacing) with the picture window full screen, less the
// same swap handing the frame to a presenter that does nothing (the copy
// every presenter gets), at each scale. The frame is a gradient cleared and
// drawn once; its content does not change what GDI does with it.
//
//   present_bench [--frames=N]    (Windows; see fullscreen.sh)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include <glide.h>
#include <velmo_glide.h>

namespace {

void FX_CALL ignore(const FxU32*, int, int, int, int, void*) {}

double seconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return double(now.QuadPart) / double(frequency.QuadPart);
}

// Milliseconds per grBufferSwap(0), the window on or off.
double swapMs(int scale, bool window, int frames, int* width, int* height) {
  _putenv_s("VELMO_GLIDE_WINDOW", window ? "1" : "0");
  _putenv_s("VELMO_GLIDE_FULLSCREEN", "1");
  vglSetPresenter(window ? nullptr : ignore, nullptr);
  grGlideInit();
  vglSetScale(scale);
  GrHwConfiguration hardware;
  grSstQueryHardware(&hardware);
  if (!grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_75Hz, GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2, 0)) {
    std::fprintf(stderr, "grSstWinOpen failed\n");
    std::exit(1);
  }
  for (int i = 0; i < 2; ++i) {
    grBufferClear(0x204080, 0, 0xFFFF);
    grBufferSwap(0);
  }
  const double start = seconds();
  for (int i = 0; i < frames; ++i) grBufferSwap(0);
  const double ms = (seconds() - start) * 1000.0 / frames;
  if (window) {
    HWND picture = FindWindowA("VelmoGlideFrame", nullptr);
    RECT r{};
    if (picture) GetClientRect(picture, &r);
    *width = r.right;
    *height = r.bottom;
  }
  grGlideShutdown();
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  int frames = 200;
  for (int i = 1; i < argc; ++i) {
    if (!std::strncmp(argv[i], "--frames=", 9) && std::atoi(argv[i] + 9) > 0) {
      frames = std::atoi(argv[i] + 9);
    } else {
      std::fprintf(stderr, "usage: %s [--frames=N]\n", argv[0]);
      return 2;
    }
  }
  std::printf("%-6s %-10s %-10s %12s %12s %12s\n", "scale", "frame", "shown in", "swap+window", "swap, none",
              "window ms");
  for (int scale : {1, 2, 4}) {
    int width = 0, height = 0;
    const double with = swapMs(scale, true, frames, &width, &height);
    const double without = swapMs(scale, false, frames, &width, &height);
    char frame[32], shown[32];
    std::snprintf(frame, sizeof frame, "%dx%d", 640 * scale, 480 * scale);
    std::snprintf(shown, sizeof shown, "%dx%d", width, height);
    std::printf("%-6d %-10s %-10s %12.2f %12.2f %12.2f\n", scale, frame, shown, with, without, with - without);
  }
  return 0;
}
