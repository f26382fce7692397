// The test host: private plug-in folder, module loading, main window.
#include "plugin_host.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace hardening {
namespace fs = std::filesystem;

namespace {

const char* const pluginFiles[] = {"Light.3df", "Velmo1.3df", "VelmoFont.3df", "VelmoLogo.3df"};
const char* const hostClassName = "Winamp v1.x";

ATOM registerHostClass() {
  static ATOM atom = [] {
    WNDCLASSA hostClass = {};
    hostClass.lpfnWndProc = DefWindowProcA;  // replaced per window below
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.lpszClassName = hostClassName;
    return RegisterClassA(&hostClass);
  }();
  return atom;
}

}  // namespace

PluginHost::PluginHost(const std::string& outputDir, const std::string& subfolder) {
  const fs::path source(outputDir);
  if (!fs::exists(source / "vis_velmo.so")) {
    why_ = "no vis_velmo.so in " + outputDir;
    return;
  }
  for (const char* file : pluginFiles) {
    if (!fs::exists(source / file)) {
      why_ = std::string("no ") + file + " in " + outputDir + " (build velmo_textures)";
      return;
    }
  }
  folder_ = subfolder.empty() ? root_.path() : root_.path(subfolder);
  fs::create_directories(folder_);
  fs::copy_file(source / "vis_velmo.so", fs::path(folder_) / "vis_velmo.so");
  for (const char* file : pluginFiles) fs::create_symlink(source / file, fs::path(folder_) / file);

  library_ = LoadLibraryA((folder_ + "/vis_velmo.so").c_str());
  if (!library_) {
    why_ = "LoadLibraryA failed for the plug-in copy";
    return;
  }
  auto getHeader = reinterpret_cast<VisGetHeaderFunction>(
      reinterpret_cast<void*>(GetProcAddress(library_, VIS_GET_HEADER_EXPORT)));
  if (!getHeader) {
    why_ = "no " VIS_GET_HEADER_EXPORT " export";
    return;
  }
  VisModule* module = getHeader()->getModule(0);
  if (!module) {
    why_ = "getModule(0) returned null";
    return;
  }

  registerHostClass();
  window_ = CreateWindowExA(0, hostClassName, "1. Artist - Title - Winamp", WS_OVERLAPPEDWINDOW, 0,
                            0, 275, 116, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PluginHost::windowProc));

  module->parentWindow = window_;
  module->dllInstance = reinterpret_cast<HINSTANCE>(library_);
  module->sampleRate = 44100;
  module->channelCount = 2;
  module_ = module;
}

PluginHost::~PluginHost() {
  if (window_) DestroyWindow(window_);
  // The plug-in stays loaded: its popup window's procedure may still be
  // registered with the platform, as it would be with a Win32 host.
}

LRESULT CALLBACK PluginHost::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* host = reinterpret_cast<PluginHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (host && message == WM_USER && lParam == 105) return host->playMs_;
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND PluginHost::popup() const {
  struct Search {
    HWND owner;
    HWND found;
  } search{window_, nullptr};
  EnumWindows(
      [](HWND candidate, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (GetWindow(candidate, GW_OWNER) != s->owner) return TRUE;
        s->found = candidate;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PluginHost::pressKey(WPARAM virtualKey) const {
  HWND target = popup();
  if (!target) return;
  SendMessageA(target, WM_KEYDOWN, virtualKey, 1);
  if (IsWindow(target)) SendMessageA(target, WM_KEYUP, virtualKey, 0xC0000001);
}

void PluginHost::fillSpectrum(long frame) const {
  unsigned seed = static_cast<unsigned>(frame) * 2654435761u;
  const int sweep = static_cast<int>(frame % 400);
  const bool beat = frame % 32 < 3;
  for (int channel = 0; channel < 2; ++channel) {
    for (int bin = 0; bin < 576; ++bin) {
      seed = seed * 1103515245u + 12345u;
      int value = static_cast<int>((seed >> 16) % 40);
      if (std::abs(bin - sweep - channel * 37) < 10) value += 200;
      if (beat && bin < 12) value += 230;
      module_->spectrumData[channel][bin] = static_cast<unsigned char>(value > 255 ? 255 : value);
    }
  }
}

bool PluginHost::pumpMessages() {
  bool quit = false;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) quit = true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return !quit;
}

long residentKilobytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace hardening
