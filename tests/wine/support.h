// What the Win32 test programs share (GoogleTest is not built for the cross
// target): checks that print their failure with file and line and end the
// program with "N passed, N failed"; whole-file reads and writes; the message
// pump; a child process whose standard output comes back through a pipe; and
// where a host finds the fields of the plug-in's records.
#pragma once
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace check {
inline int passed = 0;
inline int failed = 0;

inline void record(bool ok, const char* what, const char* file, int line) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    std::printf("FAILED %s:%d: %s\n", file, line, what);
    std::fflush(stdout);
  }
}

inline int finish() {
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
}  // namespace check

#define CHECK(cond) check::record((cond), #cond, __FILE__, __LINE__)
#define CHECK_EQ(a, b) check::record((a) == (b), #a " == " #b, __FILE__, __LINE__)
#define CHECK_STREQ(a, b) \
  check::record(std::strcmp((a), (b)) == 0, #a " equals " #b, __FILE__, __LINE__)

// The whole file, or "<missing>". Shared for writing: a plug-in may hold it open.
inline std::string readFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string text;
  char buffer[4096];
  DWORD got;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  return text;
}

inline bool writeFile(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  const BOOL ok = WriteFile(file, text.data(), (DWORD)text.size(), &put, nullptr);
  CloseHandle(file);
  return ok && put == text.size();
}

// Handles every message waiting for this thread; false once WM_QUIT came by.
inline bool pumpMessages() {
  bool going = true;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) going = false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return going;
}

// A child process whose standard output is read back through a pipe while
// it runs, so the parent can wait for a line before acting.
struct Child {
  PROCESS_INFORMATION process{};
  HANDLE output = nullptr;  // read end of its standard output
  std::string text;

  // commandLine as CreateProcessA takes it; folder null for this one's.
  // environmentName, when given, is set to "1" for the child only.
  bool start(std::string commandLine, const char* folder = nullptr,
             const char* environmentName = nullptr) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE writeEnd;
    if (!CreatePipe(&output, &writeEnd, &inherit, 0)) return false;
    SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    if (environmentName) SetEnvironmentVariableA(environmentName, "1");
    const BOOL ok = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                   folder, &startup, &process);
    if (environmentName) SetEnvironmentVariableA(environmentName, nullptr);
    CloseHandle(writeEnd);
    if (!ok) {
      CloseHandle(output);
      output = nullptr;
    }
    return ok != 0;
  }

  // Reads what the child has written so far, without blocking.
  void drain() {
    DWORD available = 0;
    while (PeekNamedPipe(output, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      char buffer[4096];
      DWORD got = 0;
      if (!ReadFile(output, buffer, available < sizeof buffer ? available : sizeof buffer, &got, nullptr) ||
          got == 0)
        break;
      text.append(buffer, got);
    }
  }

  bool waitForText(const char* wanted, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
      drain();
      if (text.find(wanted) != std::string::npos) return true;
      if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) {
        drain();
        return text.find(wanted) != std::string::npos;
      }
      if (GetTickCount() - start > timeoutMs) return false;
    }
  }

  // The exit status, or -2 after killing a child that did not end in time.
  long finish(DWORD timeoutMs) {
    if (!output) return -3;
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process.hProcess, 50) != WAIT_OBJECT_0 &&
           GetTickCount() - start <= timeoutMs)
      drain();
    long status = -2;
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
      TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, 5000);
    } else {
      DWORD code = 0;
      GetExitCodeProcess(process.hProcess, &code);
      status = (long)code;
    }
    drain();
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(output);
    output = nullptr;
    return status;
  }
};

// Byte offsets at which a host reads the plug-in's two records: Winamp's
// 32-bit layout, and on x64 the same declarations with 8-byte pointers.
struct RecordLayout {
  int headerDescription, headerGetModule;
  int parentWindow, dllInstance, sampleRate, latencyMs, spectrumChannels, waveformChannels;
  int spectrumData, waveformData, config, userData, moduleSize;
};
#if defined(_WIN64)
constexpr RecordLayout kRecordLayout = {8, 16, 8, 16, 24, 32, 40, 44, 48, 1200, 2352, 2384, 2392};
#else
constexpr RecordLayout kRecordLayout = {4, 8, 4, 8, 12, 20, 28, 32, 36, 1188, 2340, 2356, 2360};
#endif
