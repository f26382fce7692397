#include "window_log.h"

#include <map>
#include <mutex>

namespace platform_test {
namespace {

std::mutex logMutex;
std::vector<LoggedMessage> log;
std::map<UINT, std::function<LRESULT(HWND, WPARAM, LPARAM)>> answers;

LRESULT loggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::function<LRESULT(HWND, WPARAM, LPARAM)> answer;
  {
    std::lock_guard<std::mutex> lock(logMutex);
    log.push_back({window, message, wParam, lParam, GetCurrentThreadId()});
    auto found = answers.find(message);
    if (found != answers.end()) answer = found->second;
  }
  if (answer) return answer(window, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

const char* loggingClass() {
  static const char* name = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = loggingProc;
    windowClass.lpszClassName = "PlatformTestLogged";
    RegisterClassA(&windowClass);
    return "PlatformTestLogged";
  }();
  return name;
}

std::vector<LoggedMessage> loggedMessages() {
  std::lock_guard<std::mutex> lock(logMutex);
  return log;
}

void clearLog() {
  std::lock_guard<std::mutex> lock(logMutex);
  log.clear();
  answers.clear();
}

std::vector<std::string> describeLog(const std::vector<std::pair<HWND, std::string>>& labels,
                                     const std::vector<UINT>& messages) {
  std::vector<std::string> result;
  for (const auto& entry : loggedMessages()) {
    bool wanted = false;
    for (UINT message : messages) wanted = wanted || message == entry.message;
    if (!wanted) continue;
    for (const auto& label : labels) {
      if (label.first == entry.window) {
        result.push_back(label.second + ":" + std::to_string(entry.message));
      }
    }
  }
  return result;
}

void answerWith(UINT message, std::function<LRESULT(HWND, WPARAM, LPARAM)> answer) {
  std::lock_guard<std::mutex> lock(logMutex);
  answers[message] = std::move(answer);
}

HWND createLogged(const char* title, DWORD style, HWND parent, int x, int y, int width, int height) {
  return CreateWindowExA(0, loggingClass(), title, style, x, y, width, height, parent, nullptr,
                         nullptr, nullptr);
}

}  // namespace platform_test
