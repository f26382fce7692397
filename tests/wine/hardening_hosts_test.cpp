// The plug-in DLL under hosts as they really behave, on real Win32 (Wine):
// quit before init, render and quit after Escape closed the display, render
// from a thread other than the one that ran init, a new run after quit
// without Escape, and init twice. Each case runs in a child process (this
// program started again with --case NAME), since some end the process; the
// parent checks how each ended and prints what it did.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "plugin/vis.h"
#include "support.h"

namespace {

const char kPopupTitle[] = "Velmo's 3DFX Spectrum Analyzer";
VisModule* module = nullptr;
HWND hostWindow = nullptr;
volatile LONG positionQueries = 0;

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER && wParam == 0 && lParam == 105) {
    InterlockedIncrement(&positionQueries);
    return 83000;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void say(const char* text) {
  std::printf("%s\n", text);
  std::fflush(stdout);
}

bool loadPlugin() {
  HMODULE dll = LoadLibraryA("vis_velmo.dll");
  if (!dll) return false;
  typedef VisHeader* (*GetHeader)();
  GetHeader getHeader = (GetHeader)(void*)GetProcAddress(dll, "winampVisGetHeader");
  if (!getHeader) return false;
  module = getHeader()->getModule(0);
  WNDCLASSA hostClass = {};
  hostClass.lpfnWndProc = hostProc;
  hostClass.hInstance = GetModuleHandleA(nullptr);
  hostClass.lpszClassName = "HardeningHost";
  RegisterClassA(&hostClass);
  hostWindow = CreateWindowExA(0, "HardeningHost", "1. Artist - Title - Winamp", WS_OVERLAPPEDWINDOW,
                               0, 0, 275, 116, nullptr, nullptr, hostClass.hInstance, nullptr);
  module->parentWindow = hostWindow;
  module->dllInstance = dll;
  module->sampleRate = 44100;
  module->channelCount = 2;
  return true;
}

void render(int frames) {
  for (int frame = 0; frame < frames; ++frame) {
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < 576; ++i) module->spectrumData[c][i] = (unsigned char)((i * 7 + frame * 13 + c) & 0xff);
    module->render(module);
    pumpMessages();
  }
}

DWORD WINAPI renderThread(LPVOID) {
  render(100);
  return 0;
}

int runCase(const char* name) {
  if (!loadPlugin()) {
    say("no plug-in");
    return 3;
  }
  if (!std::strcmp(name, "quit-first")) {
    module->quit(module);
    say("quit without init returned");
    module->init(module);
    render(5);
    module->quit(module);
    say("a run after it went through");
  } else if (!std::strcmp(name, "escape")) {
    module->init(module);
    render(5);
    HWND popup = FindWindowA(nullptr, kPopupTitle);
    if (!popup) return 4;
    SendMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    if (IsWindow(popup)) return 5;
    if (pumpMessages()) return 6;  // the quit message must be there
    say("escape closed the display and posted the quit message");
    render(10);
    say("render after escape returned");
    module->quit(module);
    say("quit after escape returned");
    module->init(module);
    render(3);
    module->quit(module);
    say("a new run after escape went through");
  } else if (!std::strcmp(name, "thread")) {
    module->init(module);
    HANDLE thread = CreateThread(nullptr, 0, renderThread, nullptr, 0, nullptr);
    Sleep(100);  // busy for a while: the renderer waits on its first query
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 60000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) pumpMessages();
    if (WaitForSingleObject(thread, 0) != WAIT_OBJECT_0) return 7;
    CloseHandle(thread);
    std::printf("100 frames rendered on another thread, %ld position queries answered\n", (long)positionQueries);
    if (positionQueries != 100) return 8;
    module->quit(module);
  } else if (!std::strcmp(name, "quit-then-init")) {
    module->init(module);
    render(3);
    module->quit(module);
    say("quit returned without Escape");
    module->init(module);
    render(3);
    module->quit(module);
    say("a second run after quit went through");
  } else if (!std::strcmp(name, "init-twice")) {
    module->init(module);
    render(2);
    module->init(module);
    say("second init returned");
    render(2);
    module->quit(module);
  } else {
    return 2;
  }
  return 0;
}

struct Outcome {
  long status;
  std::string output;
};

Outcome runChild(const char* name) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  Child child;
  Outcome outcome = {-3, ""};
  if (child.start(std::string("\"") + self + "\" --case " + name)) {
    outcome.status = child.finish(180000);
    outcome.output = child.text;
  }
  std::printf("case %s: exit status %ld\n%s", name, outcome.status, outcome.output.c_str());
  return outcome;
}

bool has(const Outcome& outcome, const char* text) { return outcome.output.find(text) != std::string::npos; }

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && !std::strcmp(argv[1], "--case")) return runCase(argv[2]);
  // Our glide2x.dll need not open a window of its own for these cases.
  SetEnvironmentVariableA("VELMO_GLIDE_WINDOW", "0");
  if (GetFileAttributesA("vis_velmo.dll") == INVALID_FILE_ATTRIBUTES ||
      GetFileAttributesA("VelmoFont.3df") == INVALID_FILE_ATTRIBUTES) {
    std::printf("skipped: vis_velmo.dll or the textures are not in the working folder\n");
    return check::finish();
  }

  Outcome quitFirst = runChild("quit-first");
  CHECK_EQ(quitFirst.status, 0L);
  CHECK(has(quitFirst, "a run after it went through"));

  Outcome escape = runChild("escape");
  CHECK_EQ(escape.status, 0L);
  CHECK(has(escape, "a new run after escape went through"));

  Outcome thread = runChild("thread");
  CHECK_EQ(thread.status, 0L);

  // Quit removes the popup the user left open, so a new run can register
  // its window class again.
  Outcome again = runChild("quit-then-init");
  CHECK_EQ(again.status, 0L);
  CHECK(has(again, "a second run after quit went through"));

  // The second init finds its class registered and ends the process with
  // status 1, in an orderly way (no crash code, no hang).
  Outcome twice = runChild("init-twice");
  CHECK_EQ(twice.status, 1L);
  CHECK(!has(twice, "second init returned"));
  return check::finish();
}
