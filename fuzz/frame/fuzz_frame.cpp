// Whole frames of the plug-in, driven the way a host drives it, on input the
// fuzzer chooses: the spectrum bytes of every frame, the option flags, the
// host's caption and play position, and key presses on the display window
// (Escape included, after which rendering goes on and the display is opened
// again for the next input). The plug-in is linked in and finds its textures
// beside this program, in the build's output folder.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>

#include "display/display.h"
#include "plugin/lifecycle.h"
#include "plugin/vis.h"
#include "settings/settings.h"

namespace {

int hostPlayMs = -1;

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER && lParam == 105) return hostPlayMs;
  return DefWindowProcA(window, message, wParam, lParam);
}

void drainMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

void startDisplay() {
  static bool started = false;
  if (!started) {
    WNDCLASSA hostClass = {};
    hostClass.lpfnWndProc = hostProc;
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.lpszClassName = "fuzz host";
    RegisterClassA(&hostClass);
    pluginModule.parentWindow = CreateWindowExA(0, "fuzz host", "1. Artist - Title - Winamp",
                                                WS_OVERLAPPEDWINDOW, 0, 0, 275, 116, nullptr,
                                                nullptr, hostClass.hInstance, nullptr);
    pluginModule.dllInstance = nullptr;  // the program itself: textures lie beside it
    started = true;
  }
  pluginModule.init(&pluginModule);
}

const WPARAM keys[] = {'F', 'G', 'A', 'D', VK_SPACE, 'Z', VK_ESCAPE};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The trace file of every visInit goes nowhere near the user's files.
  setenv("VELMO_TRACE_FILE", "/dev/null", 1);
  startDisplay();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int frames = in.ConsumeIntegralInRange(1, 6);
  for (int frame = 0; frame < frames; ++frame) {
    if (in.ConsumeBool()) {
      const unsigned bits = in.ConsumeIntegral<uint16_t>();
      for (int i = 0; i < SETTINGS_COUNT; ++i) *settingsOptions[i].flag = (bits >> i) & 1;
    }
    if (in.ConsumeBool()) hostPlayMs = in.ConsumeIntegral<int>();
    if (in.ConsumeBool()) SetWindowTextA(pluginModule.parentWindow, in.ConsumeRandomLengthString(300).c_str());
    const int presses = in.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < presses; ++i) {
      const WPARAM key = keys[in.ConsumeIntegralInRange<size_t>(0, sizeof keys / sizeof keys[0] - 1)];
      const int repeat = key == VK_ESCAPE ? 1 : in.ConsumeIntegralInRange(1, 200);
      for (int r = 0; r < repeat && IsWindow(displayWindow); ++r) {
        SendMessageA(displayWindow, WM_KEYDOWN, key, 1);
        SendMessageA(displayWindow, WM_KEYUP, key, 0xC0000001);
      }
    }
    // Spectrum: the bytes given, the rest of the frame keeps last frame's.
    const std::vector<uint8_t> bytes = in.ConsumeBytes<uint8_t>(sizeof pluginModule.spectrumData);
    if (!bytes.empty()) std::memcpy(pluginModule.spectrumData, bytes.data(), bytes.size());
    pluginModule.render(&pluginModule);
    drainMessages();
  }
  if (!displayOpen) {  // Escape closed the display: the host ends the run and starts anew
    pluginModule.quit(&pluginModule);
    drainMessages();
    startDisplay();
  }
  return 0;
}
