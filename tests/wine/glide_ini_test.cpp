// glide2x.ini beside glide2x.dll: a copy of the DLL in a folder of its own,
// loaded afresh for each file, opens the way each file says; a damaged or
// missing file gives the defaults; the environment wins over the file.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "support.h"
#include "glide/include/glide.h"

namespace {

#if defined(_WIN64)
#define GLIDE_NAME(name, bytes) #name
#else
#define GLIDE_NAME(name, bytes) "_" #name "@" #bytes
#endif

struct Opened {
  int width = 0, height = 0, threads = 0;
  FxU32 clearedPixel = 0;  // what a clear to 0x070707 left
  HWND window = nullptr;
  RECT windowRect{};
};

std::string folder;

// Loads the copy, opens a window as the plug-in does, reads back what it got.
Opened openWith(const char* iniText) {
  const std::string ini = folder + "\\glide2x.ini";
  DeleteFileA(ini.c_str());
  if (iniText) CHECK(writeFile(ini, iniText));
  HMODULE dll = LoadLibraryA((folder + "\\glide2x.dll").c_str());
  Opened got;
  CHECK(dll != nullptr);
  if (!dll) return got;
  auto init = (void(FX_CALL*)())(void*)GetProcAddress(dll, GLIDE_NAME(grGlideInit, 0));
  auto query = (FxBool(FX_CALL*)(GrHwConfiguration*))(void*)GetProcAddress(dll, GLIDE_NAME(grSstQueryHardware, 4));
  auto open = (FxBool(FX_CALL*)(FxU32, int, int, int, int, int, int))(void*)GetProcAddress(dll, GLIDE_NAME(grSstWinOpen, 28));
  auto frameSize = (void(FX_CALL*)(int*, int*))(void*)GetProcAddress(dll, GLIDE_NAME(vglGetFrameSize, 8));
  auto threads = (int(FX_CALL*)())(void*)GetProcAddress(dll, GLIDE_NAME(vglGetThreads, 0));
  auto clear = (void(FX_CALL*)(GrColor_t, GrAlpha_t, FxU16))(void*)GetProcAddress(dll, GLIDE_NAME(grBufferClear, 12));
  auto read = (FxBool(FX_CALL*)(GrBuffer_t, FxU32*, FxU32))(void*)GetProcAddress(dll, GLIDE_NAME(vglReadFrame, 12));
  auto shutdown = (void(FX_CALL*)())(void*)GetProcAddress(dll, GLIDE_NAME(grGlideShutdown, 0));
  CHECK(init && query && open && frameSize && threads && clear && read && shutdown);
  if (init && query && open && frameSize && threads && clear && read && shutdown) {
    GrHwConfiguration hardware;
    init();
    query(&hardware);
    CHECK(open(0, GR_RESOLUTION_640x480, GR_REFRESH_75Hz, GR_COLORFORMAT_ARGB, GR_ORIGIN_LOWER_LEFT, 2, 0));
    frameSize(&got.width, &got.height);
    got.threads = threads();
    clear(0x070707, 0, 0xFFFF);
    static FxU32 pixels[4 * 640 * 4 * 480];
    if (read(GR_BUFFER_BACKBUFFER, pixels, FxU32(got.width))) got.clearedPixel = pixels[0];
    got.window = FindWindowA("VelmoGlideFrame", nullptr);
    if (got.window) GetWindowRect(got.window, &got.windowRect);
    shutdown();
    CHECK(FindWindowA("VelmoGlideFrame", nullptr) == nullptr);
  }
  FreeLibrary(dll);
  return got;
}

bool coversScreen(const Opened& got) {
  const RECT& r = got.windowRect;
  return got.window && r.left == 0 && r.top == 0 && r.right == GetSystemMetrics(SM_CXSCREEN) &&
         r.bottom == GetSystemMetrics(SM_CYSCREEN);
}

int processors() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return int(info.dwNumberOfProcessors);
}

}  // namespace

int main() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  folder = std::string(temp) + "velmo_glide_ini_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  CHECK(CopyFileA("glide2x.dll", (folder + "\\glide2x.dll").c_str(), FALSE));

  // No file: 640x480 in a window smaller than the screen, undithered.
  Opened defaults = openWith(nullptr);
  CHECK_EQ(defaults.width, 640);
  CHECK_EQ(defaults.threads, processors() < 64 ? processors() : 64);
  CHECK(defaults.window != nullptr && !coversScreen(defaults));
  CHECK_EQ(defaults.clearedPixel, 0x070707u);

  // Every key.
  Opened all = openWith("; ours\r\n[Glide2x]\r\n Scale = 2 \r\nFullScreen=on\r\nthreads=1\r\nDither=yes\r\nWindow=1\r\n");
  CHECK_EQ(all.width, 1280);
  CHECK_EQ(all.height, 960);
  CHECK_EQ(all.threads, 1);
  CHECK(coversScreen(all));
  CHECK_EQ(all.clearedPixel, 0x000400u);  // 7,7,7 in RGB565 is 0,1,0: green keeps 6 bits
  CHECK(openWith("[glide2x]\nWindow=off\n").window == nullptr);
  // A 2560x1920 frame: its window still fits the work area.
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  Opened big = openWith("[glide2x]\nScale=4\n");
  CHECK_EQ(big.width, 2560);
  CHECK(big.window != nullptr && big.windowRect.left >= work.left && big.windowRect.top >= work.top &&
        big.windowRect.right <= work.right && big.windowRect.bottom <= work.bottom);

  // Scale=auto full screen: the smallest scale whose frame covers the 4:3
  // picture on this screen (its width, or its height times 4/3), up to 4.
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  const int covered = screenW * 3 < screenH * 4 ? screenW : screenH * 4 / 3;
  int wanted = 1;
  while (wanted < 4 && 640 * wanted < covered) ++wanted;
  CHECK_EQ(openWith("[glide2x]\nScale=auto\nFullScreen=1\n").width, 640 * wanted);
  CHECK_EQ(openWith("[glide2x]\nScale=auto\n").width, 640);  // a window opens at the board's size

  // Damaged: bad values, keys elsewhere, junk and no line ends; each
  // default stays.
  Opened damaged = openWith(
      "Scale=2\n[other]\nScale=3\n[glide2x\nThreads=1\n[glide2x]\nScale=9\nScale=0\nThreads=-1\n"
      "Threads=2x\nDither=maybe\nFullScreen\n=1\n\x01\xff\x7f garbage [ ] = =\nWindow=");
  CHECK_EQ(damaged.width, 640);
  CHECK_EQ(damaged.threads, defaults.threads);
  CHECK(damaged.window != nullptr && !coversScreen(damaged));
  CHECK_EQ(damaged.clearedPixel, 0x070707u);

  // The environment over the file.
  _putenv_s("VELMO_GLIDE_SCALE", "3");  // the C runtime's copy, which getenv reads
  _putenv_s("VELMO_GLIDE_DITHER", "0");
  _putenv_s("VELMO_GLIDE_FULLSCREEN", "0");
  Opened env = openWith("[glide2x]\nScale=2\nDither=1\nFullScreen=1\n");
  CHECK_EQ(env.width, 1920);
  CHECK_EQ(env.clearedPixel, 0x070707u);
  CHECK(env.window != nullptr && !coversScreen(env));

  DeleteFileA((folder + "\\glide2x.ini").c_str());
  DeleteFileA((folder + "\\glide2x.dll").c_str());
  RemoveDirectoryA(folder.c_str());
  return check::finish();
}
