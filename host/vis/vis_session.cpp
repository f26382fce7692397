// Driving a vis plug-in through Win32 calls and our Glide's presenter.
#include "vis/vis_session.h"

#include <velmo_glide.h>

#include <cstring>

#include "vis/ansi_text.h"

namespace velmo {
namespace {

struct OwnedSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK findOwnedWindow(HWND window, LPARAM param) {
  OwnedSearch* search = reinterpret_cast<OwnedSearch*>(param);
  if (window != search->owner && GetWindow(window, GW_OWNER) == search->owner) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

VisSession::~VisSession() {
  stop();
  vglSetPresenter(nullptr, nullptr);
  // The plug-in's display window is owned by ours and goes with it; its
  // procedure lives in the plug-in, so the library is unloaded only after.
  destroyHostWindow(hostWindow_);
  pumpMessages();
  unloadVis(&vis_);
}

bool VisSession::open(const std::string& pluginPath, HostControls* controls, std::string* error) {
  hostWindow_ = createHostWindow(GetModuleHandleA(nullptr), controls);
  if (!hostWindow_) {
    *error = "cannot create the player's main window";
    return false;
  }
  if (!loadVis(pluginPath, &vis_, error)) return false;
  pluginPath_ = pluginPath;
  return true;
}

void VisSession::onFrame(FrameHandler handler) {
  frameHandler_ = std::move(handler);
  if (frameHandler_) {
    vglSetPresenter(&VisSession::presentFrame, this);
  } else {
    vglSetPresenter(nullptr, nullptr);
  }
}

void FX_CALL VisSession::presentFrame(const FxU32* pixels, int width, int height, int stride,
                                      int, void* user) {
  VisSession* session = static_cast<VisSession*>(user);
  if (!session->frameHandler_) return;
  Frame frame;
  frame.pixels = pixels;
  frame.width = width;
  frame.height = height;
  frame.stride = stride;
  session->frameHandler_(frame);
}

bool VisSession::start(int sampleRate, int channels, std::string* error) {
  if (running_) return true;
  displayClosed_ = false;
  // Drop a quit message left over from an earlier run.
  MSG message;
  while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  const int result = startVis(&vis_, hostWindow_, sampleRate, channels);
  if (result != 0) {
    *error = pluginPath_ + ": the plug-in refused to start (its init returned " + std::to_string(result) + ")";
    return false;
  }
  running_ = true;
  return true;
}

void VisSession::render(const SpectrumBytes& spectrum) {
  if (!running_ || displayClosed_) return;
  VisModule* module = vis_.module;
  std::memcpy(module->spectrumData, spectrum, sizeof module->spectrumData);
  module->render(module);
}

void VisSession::stop() {
  if (!running_) return;
  vis_.module->quit(vis_.module);
  running_ = false;
  pumpMessages();
}

bool VisSession::configure() {
  if (!vis_.module->config) return false;
  attachVis(&vis_, hostWindow_, 44100, 2);
  vis_.module->config(vis_.module);
  return true;
}

void VisSession::pumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      if (running_) displayClosed_ = true;
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

HWND VisSession::keyTarget() const {
  if (running_ && !displayClosed_) {
    HWND focus = GetFocus();
    if (focus && focus != hostWindow_ && IsWindow(focus)) return focus;
    OwnedSearch search = {hostWindow_, nullptr};
    EnumWindows(findOwnedWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
  }
  return hostWindow_;
}

void VisSession::deliverKey(UINT message, WPARAM virtualKey, LPARAM param) {
  PostMessageA(keyTarget(), message, virtualKey, param);
  pumpMessages();
}

void VisSession::setCaption(const std::string& caption) {
  if (hostWindow_) SetWindowTextA(hostWindow_, toWindows1252(caption).c_str());
}

int VisSession::latencyMs() const { return vis_.module ? vis_.module->latencyMs : 0; }

const char* VisSession::description() const {
  return vis_.header && vis_.header->description ? vis_.header->description : "";
}

}  // namespace velmo
