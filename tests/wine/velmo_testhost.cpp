// velmo_testhost: a small Winamp-like host for the plug-in DLL.
//
//   velmo_testhost [--dll PATH] [--frames N] [--position MS] [--config | config]
//
// Loads the plug-in with LoadLibraryA and finds winampVisGetHeader with
// GetProcAddress, as Winamp does; prints the header, the module record and
// its layout; opens a main window captioned "1. Artist - Title - Winamp"
// that answers the play-position query (WM_USER, lParam 105); then either
// shows the settings dialog (--config) or runs init, N renders of a moving
// test spectrum and quit, pumping messages between frames, and prints the
// frames per second it reached. The exit status
// is 0, or whatever the plug-in ended the process with.
#include <windows.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "plugin/vis.h"
#include "tests/wine/support.h"

namespace {

const char kHostCaption[] = "1. Artist - Title - Winamp";
const char kHostClass[] = "VelmoTestHost";
int playPosition = 83000;
int positionQueries = 0;

LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER && wParam == 0 && lParam == 105) {
    positionQueries++;
    return playPosition;
  }
  if (message == WM_KEYDOWN || message == WM_KEYUP) {
    std::printf("host received %s %u\n", message == WM_KEYDOWN ? "key-down" : "key-up",
                (unsigned)wParam);
    std::fflush(stdout);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void fillSpectrum(VisModule* module, int frame) {
  for (int c = 0; c < 2; c++)
    for (int i = 0; i < 576; i++) {
      double wave = std::sin(0.05 * i + 0.2 * frame + c) * 0.5 + 0.5;
      module->spectrumData[c][i] = (unsigned char)(wave * (255 - i / 3));
    }
}

void printRecords(const VisHeader* header, const VisModule* module) {
  std::printf("header: version 0x%x, \"%s\"\n", header->version, header->description);
  std::printf("module: \"%s\", latency %d ms, delay %d ms, %d spectrum / %d waveform channels\n",
              module->description, module->latencyMs, module->delayMs, module->spectrumChannels,
              module->waveformChannels);
  std::printf("layout: spectrumData %u, waveformData %u, config %u, userData %u, size %u\n",
              (unsigned)offsetof(VisModule, spectrumData), (unsigned)offsetof(VisModule, waveformData),
              (unsigned)offsetof(VisModule, config), (unsigned)offsetof(VisModule, userData),
              (unsigned)sizeof(VisModule));
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const char* dllPath = "vis_velmo.dll";
  int frames = 100;
  bool config = false;
  for (int i = 1; i < argc; i++) {
    if (!std::strcmp(argv[i], "--dll") && i + 1 < argc) {
      dllPath = argv[++i];
    } else if (!std::strcmp(argv[i], "--frames") && i + 1 < argc) {
      frames = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--position") && i + 1 < argc) {
      playPosition = std::atoi(argv[++i]);
    } else if (!std::strcmp(argv[i], "--config") || !std::strcmp(argv[i], "config")) {
      config = true;
    } else {
      std::fprintf(stderr, "usage: %s [--dll PATH] [--frames N] [--position MS] [--config]\n",
                   argv[0]);
      return 2;
    }
  }

  HMODULE library = LoadLibraryA(dllPath);
  if (library == nullptr) {
    std::fprintf(stderr, "cannot load %s (error %lu)\n", dllPath, (unsigned long)GetLastError());
    return 2;
  }
  typedef VisHeader* (*GetHeader)();
  GetHeader getHeader = (GetHeader)(void*)GetProcAddress(library, "winampVisGetHeader");
  if (getHeader == nullptr) {
    std::fprintf(stderr, "%s has no winampVisGetHeader\n", dllPath);
    return 2;
  }
  VisHeader* header = getHeader();
  VisModule* module = header->getModule(0);
  if (module == nullptr) {
    std::fprintf(stderr, "%s offers no module 0\n", dllPath);
    return 2;
  }
  printRecords(header, module);

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = hostWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kHostClass;
  RegisterClassA(&windowClass);
  HWND hostWindow = CreateWindowExA(0, kHostClass, kHostCaption, WS_OVERLAPPEDWINDOW, 100, 100,
                                    300, 120, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ShowWindow(hostWindow, SW_SHOWNORMAL);
  std::printf("host window %p\n", (void*)hostWindow);
  std::fflush(stdout);

  module->parentWindow = hostWindow;
  module->dllInstance = library;
  module->sampleRate = 44100;
  module->channelCount = 2;

  if (config) {
    module->config(module);
    std::printf("dialog closed\n");
  } else {
    module->init(module);
    // The plug-in leaves this thread's x87 unit in single precision.
    unsigned short controlWord = 0;
    __asm__ __volatile__("fnstcw %0"
                         : "=m"(controlWord));
    std::printf("init done, control word 0x%04x\n", controlWord);
    std::fflush(stdout);
    int drawn = 0;
    LARGE_INTEGER started, ended, frequency;
    QueryPerformanceCounter(&started);
    for (; drawn < frames; drawn++) {
      fillSpectrum(module, drawn);
      module->render(module);
      if (!pumpMessages()) {
        drawn++;
        std::printf("display closed by the plug-in\n");
        break;
      }
    }
    QueryPerformanceCounter(&ended);
    QueryPerformanceFrequency(&frequency);
    const double seconds = double(ended.QuadPart - started.QuadPart) / double(frequency.QuadPart);
    if (drawn > 0 && seconds > 0) std::printf("%.1f frames/s\n", drawn / seconds);
    module->quit(module);
    std::printf("rendered %d frames, quit done, %d position queries\n", drawn, positionQueries);
  }
  std::fflush(stdout);
  DestroyWindow(hostWindow);
  FreeLibrary(library);
  return 0;
}
