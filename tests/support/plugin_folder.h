// Test fixtures shared by the suites that run the plug-in in-process: a
// folder of its own holding a copy of the plug-in (its module handle stands
// for the DLL's, so files "beside the DLL" land there), a Winamp-like host
// window, and a child process that may end the way the plug-in ends a host.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <glide.h>
#include <velmo_glide.h>
#include <velmo_win32/testing.h>

#include "module_folder.h"
#include "temp_folder.h"

namespace plugintest {

namespace fs = std::filesystem;

inline const char* const kTextures[] = {"Light.3df", "Velmo1.3df", "VelmoFont.3df", "VelmoLogo.3df"};

using velmo_test::readFile;
using velmo_test::writeFile;

inline bool texturesBuilt() {
  for (const char* name : kTextures)
    if (!fs::exists(fs::path(VELMO_OUTPUT_DIR) / name)) return false;
  return fs::exists(fs::path(VELMO_OUTPUT_DIR) / "vis_velmo.so");
}

// The plug-in's own folder: a copy of vis_velmo.so and, on request, the
// textures; the trace file is pointed into it too.
class PluginFolder : public velmo_test::ModuleFolder {
 public:
  explicit PluginFolder(bool withTextures, const std::string& subfolder = "")
      : ModuleFolder(VELMO_OUTPUT_DIR "/vis_velmo.so", subfolder) {
    if (withTextures)
      for (const char* name : kTextures) fs::copy_file(fs::path(VELMO_OUTPUT_DIR) / name, file(name));
    setenv("VELMO_TRACE_FILE", tracePath().c_str(), 1);
  }
  std::string tracePath() const { return root() + "/coords.txt"; }
};

// A main window as Winamp has one: a caption and the play-position answer.
struct HostWindow {
  static inline LRESULT playPosition = -1;
  static inline std::vector<MSG> keys;  // key messages the host procedure handled

  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER && wParam == 0 && lParam == 105) return playPosition;
    if (message == WM_KEYDOWN || message == WM_KEYUP) {
      MSG copy{};
      copy.hwnd = window;
      copy.message = message;
      copy.wParam = wParam;
      copy.lParam = lParam;
      keys.push_back(copy);
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

  explicit HostWindow(const char* caption = "1. Artist - Title - Winamp") {
    static bool registered = false;
    if (!registered) {
      WNDCLASSA windowClass{};
      windowClass.lpfnWndProc = procedure;
      windowClass.hInstance = GetModuleHandleA(nullptr);
      windowClass.lpszClassName = "VelmoTestHost";
      registered = RegisterClassA(&windowClass) != 0;
    }
    window = CreateWindowExA(0, "VelmoTestHost", caption, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    keys.clear();
  }
  ~HostWindow() {
    if (IsWindow(window)) DestroyWindow(window);
  }
  HWND window;
};

// What a child process did: exit status (or -signal), its standard output
// and error, and the events the fixtures saw in order ("glide <call>",
// "box ..." for message boxes, line feeds shown as \n, and what the test
// body reports itself).
struct ChildRun {
  int status = 0;
  std::string out, err;
  std::vector<std::string> events;

  std::vector<std::string> glideCalls() const {
    std::vector<std::string> calls;
    for (const auto& event : events)
      if (event.rfind("glide ", 0) == 0) calls.push_back(event.substr(6));
    return calls;
  }
  int indexOf(const std::string& event) const {
    for (size_t i = 0; i < events.size(); i++)
      if (events[i] == event) return (int)i;
    return -1;
  }
};

inline int& eventFd() {
  static int fd = -1;
  return fd;
}

// Reports one event from inside the child (one line, written at once).
inline void childEvent(const std::string& text) {
  std::string line = text + "\n";
  if (write(eventFd(), line.data(), line.size()) < 0) _exit(98);
}

// Called for every Glide call in the child, before it takes effect.
inline std::function<void(const VglCall*)>& onGlideCall() {
  static std::function<void(const VglCall*)> hook;
  return hook;
}

inline void FX_CALL recordGlideCall(const VglCall* call, void*) {
  if (onGlideCall()) onGlideCall()(call);
  std::string text = std::string("glide ") + call->name;
  for (int i = 0; i < call->argCount; i++) {
    std::ostringstream arg;
    arg << call->args[i];
    text += (i == 0 ? "(" : ",") + arg.str();
  }
  if (call->argCount > 0) text += ")";
  if (call->text) text += std::string(":") + call->text;
  childEvent(text);
}

inline int recordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  std::ostringstream event;
  event << "box owner " << (void*)owner << " caption " << caption << " style " << type << " text ";
  for (const char* c = text; *c; c++) event << (*c == '\n' ? std::string("\\n") : std::string(1, *c));
  childEvent(event.str());
  return IDOK;
}

// Runs body in a forked child; its exit status is what body ends with (0 if
// it returns). Glide calls are recorded as events from the start.
inline ChildRun runChild(const std::function<void()>& body) {
  int outPipe[2], errPipe[2], eventPipe[2];
  if (pipe(outPipe) || pipe(errPipe) || pipe(eventPipe)) return {};
  fflush(stdout);
  fflush(stderr);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    close(outPipe[0]);
    close(errPipe[0]);
    close(eventPipe[0]);
    eventFd() = eventPipe[1];
    vglRecordBegin(recordGlideCall, nullptr);
    velmoSetMessageBoxHandler(recordMessageBox);
    body();
    fflush(stdout);
    _exit(0);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  close(eventPipe[1]);
  ChildRun run;
  std::string events;
  std::string* sinks[] = {&run.out, &run.err, &events};
  pollfd fds[] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}, {eventPipe[0], POLLIN, 0}};
  int open = 3;
  while (open > 0) {
    if (poll(fds, 3, 60000) <= 0) {
      kill(pid, SIGKILL);
      break;
    }
    for (int i = 0; i < 3; i++) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buffer[4096];
      ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, got);
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        open--;
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  std::istringstream lines(events);
  for (std::string line; std::getline(lines, line);) run.events.push_back(line);
  return run;
}

}  // namespace plugintest
