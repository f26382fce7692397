// The plug-in DLL driven by velmo_testhost in a folder of its own: a whole
// run on our glide2x.dll with the real textures, the keys, the error box of
// a missing texture, and a machine without a board.
#include <windows.h>

#include <algorithm>
#include <string>

#include "check.h"

namespace {

const char* const kTextures[] = {"Light.3df", "Velmo1.3df", "VelmoFont.3df", "VelmoLogo.3df"};
const char kPopupTitle[] = "Velmo's 3DFX Spectrum Analyzer";
const char kHostCaption[] = "1. Artist - Title - Winamp";

std::string folder;  // with trailing backslash

bool copyBeside(const char* name, const std::string& into) {
  return CopyFileA(name, (into + name).c_str(), FALSE) != 0;
}

// A fresh folder holding the host, the plug-in, Glide and the given textures.
bool makeFolder(const char* tag, bool withFont) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  folder = std::string(temp) + "velmo_plugin_" + tag + "_" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  bool ok = copyBeside("velmo_testhost.exe", folder) && copyBeside("vis_velmo.dll", folder) &&
            copyBeside("glide2x.dll", folder);
  for (const char* texture : kTextures)
    if (withFont || std::string(texture) != "VelmoFont.3df") ok = copyBeside(texture, folder) && ok;
  return ok;
}

void removeFolder() {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do DeleteFileA((folder + found.cFileName).c_str());
    while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

struct Child {
  PROCESS_INFORMATION process{};
  HANDLE output = nullptr;  // read end of its standard output
  std::string text;

  bool start(const std::string& arguments, const char* environmentName = nullptr) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE writeEnd;
    CreatePipe(&output, &writeEnd, &inherit, 0);
    SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::string command = "\"" + folder + "velmo_testhost.exe\" " + arguments;
    if (environmentName) SetEnvironmentVariableA(environmentName, "1");
    BOOL ok = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                             folder.c_str(), &startup, &process);
    if (environmentName) SetEnvironmentVariableA(environmentName, nullptr);
    CloseHandle(writeEnd);
    return ok != 0;
  }

  // Reads what the child has written so far, without blocking.
  void drain() {
    DWORD available = 0;
    while (PeekNamedPipe(output, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      char buffer[4096];
      DWORD got = 0;
      if (!ReadFile(output, buffer, available < sizeof buffer ? available : sizeof buffer, &got, nullptr) || got == 0) break;
      text.append(buffer, got);
    }
  }

  bool waitForText(const char* wanted, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
      drain();
      if (text.find(wanted) != std::string::npos) return true;
      if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) {
        drain();
        return text.find(wanted) != std::string::npos;
      }
    }
    return false;
  }

  // The exit status, or -2 after killing a child that did not end in time.
  long finish(DWORD timeoutMs) {
    DWORD code = 0;
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
      drain();
      if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) break;
    }
    drain();
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
      TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, 5000);
      code = (DWORD)-2;
    } else {
      GetExitCodeProcess(process.hProcess, &code);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(output);
    return (long)code;
  }
};

HWND waitForWindow(const char* title, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    HWND window = FindWindowA(nullptr, title);
    if (window) return window;
    Sleep(50);
  }
  return nullptr;
}

std::string readFile(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string text;
  char buffer[512];
  DWORD got;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  return text;
}

const char kTracePath[] = "c:\\coords.txt";

// The trace is a text stream: on Windows each line ends in CR LF.
std::string withoutCarriageReturns(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

// False when another program of the same Wine prefix holds the file open (a
// plug-in keeps it open until its host ends): the trace checks are then
// skipped, with a note.
bool deleteTrace() {
  if (DeleteFileA(kTracePath) || GetLastError() == ERROR_FILE_NOT_FOUND) return true;
  std::printf("trace checks skipped: %s is held by another process (error %lu)\n", kTracePath,
              (unsigned long)GetLastError());
  return false;
}

void wholeRun() {
  if (!makeFolder("run", true)) {
    std::printf("skipped the run: textures or programs missing beside the test\n");
    return;
  }
  bool traceFree = deleteTrace();
  Child child;
  CHECK(child.start("--dll vis_velmo.dll --frames 20 --position 605000"));
  long status = child.finish(120000);
  CHECK_EQ(status, 0L);
  CHECK(child.text.find("layout: spectrumData 36, waveformData 1188, config 2340, userData 2356, size 2360") != std::string::npos);
  CHECK(child.text.find("init done, control word 0x007f") != std::string::npos);
  // One play-position query per frame.
  CHECK(child.text.find("rendered 20 frames, quit done, 20 position queries") != std::string::npos);
  // The trace file is flushed when the host process ends.
  if (traceFree) CHECK(withoutCarriageReturns(readFile(kTracePath)) == "Gonna make Cone.\nMade Cone.\n");
  if (status != 0) std::printf("host said:\n%s\n", child.text.c_str());
  removeFolder();
}

void keysReachTheHost() {
  if (!makeFolder("keys", true)) return;
  Child child;
  CHECK(child.start("--dll vis_velmo.dll --frames 100000000"));
  CHECK(child.waitForText("init done", 60000));
  HWND popup = waitForWindow(kPopupTitle, 10000);
  CHECK(popup != nullptr);
  if (popup) {
    RECT box;
    GetWindowRect(popup, &box);
    CHECK(box.left == 0 && box.top == 0 && box.right == 500 && box.bottom == 500);
    CHECK(GetWindow(popup, GW_OWNER) == FindWindowA(nullptr, kHostCaption));
    PostMessageA(popup, WM_KEYDOWN, 'F', 0x00210001);
    PostMessageA(popup, WM_KEYUP, 'F', (LPARAM)0xC0210001);
    PostMessageA(popup, WM_KEYDOWN, VK_SPACE, 0x00390001);
    CHECK(child.waitForText("host received key-up 70", 20000));
    CHECK(child.waitForText("host received key-down 32", 20000));
    CHECK(child.text.find("host received key-down 70") == std::string::npos);
    PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  }
  CHECK(child.waitForText("display closed by the plug-in", 20000));
  CHECK_EQ(child.finish(30000), 0L);
  CHECK(child.text.find("host received key-down 27") == std::string::npos);
  removeFolder();
}

// The text of a message box: its static control, id 0xFFFF.
std::string boxText(HWND box) {
  char text[1024] = "";
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

void missingFontTexture() {
  if (!makeFolder("nofont", false)) return;
  bool traceFree = deleteTrace();
  Child child;
  CHECK(child.start("--dll vis_velmo.dll --frames 5"));
  HWND box = waitForWindow("An ERROR", 60000);
  CHECK(box != nullptr);
  if (box) {
    std::string expected = "ERROR: Could not load texture: " + folder + "VelmoFont.3df";
    std::string shown = boxText(box);
    if (shown != expected) std::printf("box reads \"%s\"\n", shown.c_str());
    CHECK(shown == expected);
    CHECK(GetWindow(box, GW_OWNER) == FindWindowA(nullptr, kHostCaption));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  CHECK_EQ(child.finish(30000), -1L);
  CHECK(child.text.find("init done") == std::string::npos);
  if (traceFree) CHECK(readFile(kTracePath) == "<missing>");
  removeFolder();
}

void noBoard() {
  if (!makeFolder("noboard", true)) return;
  Child child;
  CHECK(child.start("--dll vis_velmo.dll --frames 5", "VELMO_GLIDE_NO_BOARD"));
  CHECK_EQ(child.finish(60000), 1L);
  CHECK(child.text.find("init done") == std::string::npos);
  removeFolder();
}

}  // namespace

int main() {
  wholeRun();
  keysReachTheHost();
  missingFontTexture();
  noBoard();
  return check::finish();
}
