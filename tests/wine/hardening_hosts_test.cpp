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

#include "check.h"
#include "plugin/vis.h"

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

// False once WM_QUIT has come by.
bool pump() {
  bool going = true;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) going = false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return going;
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
    pump();
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
    if (pump()) return 6;  // the quit message must be there
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
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, 60000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) pump();
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
  std::string command = std::string("\"") + self + "\" --case " + name;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd, writeEnd;
  CreatePipe(&readEnd, &writeEnd, &inherit, 0);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process = {};
  Outcome outcome = {-3, ""};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    CloseHandle(readEnd);
    CloseHandle(writeEnd);
    return outcome;
  }
  CloseHandle(writeEnd);
  DWORD waited = 0;
  for (;;) {
    DWORD available = 0;
    while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      char buffer[1024];
      DWORD got = 0;
      if (!ReadFile(readEnd, buffer, available < sizeof buffer ? available : sizeof buffer, &got, nullptr)) break;
      outcome.output.append(buffer, got);
    }
    if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) break;
    waited += 50;
    if (waited > 180000) {
      TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, 5000);
      break;
    }
  }
  char buffer[1024];
  DWORD got = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) outcome.output.append(buffer, got);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  outcome.status = waited > 180000 ? -2 : (long)code;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(readEnd);
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
