// The plug-in DLL driven by velmo_testhost in a folder of its own: a whole
// run on our glide2x.dll with the real textures, the keys, the error box of
// a missing texture, and a machine without a board.
#include <windows.h>

#include <algorithm>
#include <string>

#include "support.h"

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

// The test host of the folder, run there.
bool startHost(Child& child, const std::string& arguments, const char* environmentName = nullptr) {
  return child.start("\"" + folder + "velmo_testhost.exe\" " + arguments, folder.c_str(), environmentName);
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

// A busy machine can be slow to show a window or a line: every wait ends as
// soon as what it waits for is there, and has a generous deadline.
const DWORD kDeadline = 180000;

HWND waitForWindow(const char* title) {
  const DWORD start = GetTickCount();
  do {
    if (HWND window = FindWindowA(nullptr, title)) return window;
    Sleep(50);
  } while (GetTickCount() - start < kDeadline);
  return nullptr;
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
  CHECK(startHost(child, "--dll vis_velmo.dll --frames 20 --position 605000"));
  long status = child.finish(kDeadline);
  CHECK_EQ(status, 0L);
  const RecordLayout& at = kRecordLayout;
  char layout[128];
  std::snprintf(layout, sizeof layout, "layout: spectrumData %d, waveformData %d, config %d, userData %d, size %d",
                at.spectrumData, at.waveformData, at.config, at.userData, at.moduleSize);
  CHECK(child.text.find(layout) != std::string::npos);
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
  CHECK(startHost(child, "--dll vis_velmo.dll --frames 100000000"));
  CHECK(child.waitForText("init done", kDeadline));
  HWND popup = waitForWindow(kPopupTitle);
  CHECK(popup != nullptr);
  if (popup) {
    RECT box;
    GetWindowRect(popup, &box);
    CHECK(box.left == 0 && box.top == 0 && box.right == 500 && box.bottom == 500);
    CHECK(GetWindow(popup, GW_OWNER) == FindWindowA(nullptr, kHostCaption));
    PostMessageA(popup, WM_KEYDOWN, 'F', 0x00210001);
    PostMessageA(popup, WM_KEYUP, 'F', (LPARAM)0xC0210001);
    PostMessageA(popup, WM_KEYDOWN, VK_SPACE, 0x00390001);
    CHECK(child.waitForText("host received key-up 70", kDeadline));
    CHECK(child.waitForText("host received key-down 32", kDeadline));
    CHECK(child.text.find("host received key-down 70") == std::string::npos);
    PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  }
  CHECK(child.waitForText("display closed by the plug-in", kDeadline));
  CHECK_EQ(child.finish(kDeadline), 0L);
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
  CHECK(startHost(child, "--dll vis_velmo.dll --frames 5"));
  HWND box = waitForWindow("An ERROR");
  CHECK(box != nullptr);
  if (box) {
    std::string expected = "ERROR: Could not load texture: " + folder + "VelmoFont.3df";
    std::string shown = boxText(box);
    if (shown != expected) std::printf("box reads \"%s\"\n", shown.c_str());
    CHECK(shown == expected);
    CHECK(GetWindow(box, GW_OWNER) == FindWindowA(nullptr, kHostCaption));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  CHECK_EQ(child.finish(kDeadline), -1L);
  CHECK(child.text.find("init done") == std::string::npos);
  if (traceFree) CHECK(readFile(kTracePath) == "<missing>");
  removeFolder();
}

void noBoard() {
  if (!makeFolder("noboard", true)) return;
  Child child;
  CHECK(startHost(child, "--dll vis_velmo.dll --frames 5", "VELMO_GLIDE_NO_BOARD"));
  CHECK_EQ(child.finish(kDeadline), 1L);
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
