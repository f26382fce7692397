// The settings dialog of vis_velmo.dll under real Win32 (Wine): opened
// through the module's configure callback with a real owner window, found
// by its caption, checked control by control, clicked, confirmed or
// cancelled, and plugin.ini read back. The DLL runs from a folder of its
// own so its plugin.ini is this test's alone.
//
// "dialog_test show" only opens the dialog and waits for the user (or a
// script) to close it, then prints the resulting plugin.ini.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "plugin/vis.h"
#include "support.h"
#include "tests/dialog/expected_controls.h"

namespace {

const char kCaption[] = "Velmo's Spectrum Setup";
const char kSection[] = "[Velmo's 3DFX Spectrum Analyzer]";

struct Plugin {
  HMODULE library = nullptr;
  VisModule* module = nullptr;
  std::string folder;
};

std::function<void(HWND)> scenario;
int scenarioRuns = 0;

void CALLBACK onTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  // The dialog is shown once its queue first runs empty.
  HWND dialog = FindWindowA("#32770", kCaption);
  if (!dialog || !IsWindowVisible(dialog)) return;
  KillTimer(nullptr, timer);
  ++scenarioRuns;
  scenario(dialog);
}

// Opens the dialog the way the host does and runs body inside its loop.
void openDialog(Plugin& plugin, std::function<void(HWND)> body) {
  scenario = std::move(body);
  scenarioRuns = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, onTimer);
  plugin.module->config(plugin.module);
  KillTimer(nullptr, timer);
  CHECK_EQ(scenarioRuns, 1);
  CHECK(FindWindowA("#32770", kCaption) == nullptr);
}

std::string iniPath(const Plugin& plugin) { return plugin.folder + "\\plugin.ini"; }

// "key=value" lines of the plug-in's section, in file order.
std::vector<std::string> sectionLines(const std::string& text) {
  std::vector<std::string> lines;
  bool inSection = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      inSection = line == kSection;
    } else if (inSection && !line.empty()) {
      lines.push_back(line);
    }
    start = end + 1;
  }
  return lines;
}

// The flags' boxes in the order the file is written.
const struct {
  const char* key;
  int id;
} kBoxes[] = {{"RotateX", 1000}, {"RotateY", 1001}, {"RotateZ", 1002}, {"DisplayBackSpec", 1018}, {"SpinToBeat", 1017}, {"DisplayPlatform", 1020}, {"Reflect", 1019}, {"DisplayTime", 1021}, {"DisplaySong", 1022}, {"RotateLogo", 1026}, {"PointedEnds", 1025}};

std::string boxStates(HWND dialog) {
  std::string states;
  for (const auto& box : kBoxes) states += IsDlgButtonChecked(dialog, box.id) ? '1' : '0';
  return states;
}

// Keys already in the file keep their place; only a new section is
// written wholly in write order.
bool fileHolds(const std::string& path, const char* states, bool inWriteOrder = false) {
  const std::string text = readFile(path);
  std::vector<std::string> lines;
  for (int i = 0; i < 11; ++i) lines.push_back(std::string(kBoxes[i].key) + "=" + states[i]);
  std::vector<std::string> found = sectionLines(text);
  if (!inWriteOrder) {
    std::sort(lines.begin(), lines.end());
    std::sort(found.begin(), found.end());
  }
  if (found == lines) return true;
  std::printf("plugin.ini, expected boxes %s:\n%s\n", states, text.c_str());
  return false;
}

bool statesAre(HWND dialog, const char* expected) {
  const std::string states = boxStates(dialog);
  if (states == expected) return true;
  std::printf("boxes %s, expected %s\n", states.c_str(), expected);
  return false;
}

void click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// A real mouse click in the middle of the control (X input under Xvfb), with
// the messages it brings handled before returning.
void userClick(HWND dialog, int id) {
  RECT rect;
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  const int x = (rect.left + rect.right) / 2, y = (rect.top + rect.bottom) / 2;
  INPUT inputs[3] = {};
  for (INPUT& input : inputs) {
    input.type = INPUT_MOUSE;
    input.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
  inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
  SendInput(3, inputs, sizeof(INPUT));
  const DWORD until = GetTickCount() + 300;
  while (GetTickCount() < until) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageA(dialog, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
    Sleep(10);
  }
}

void checkTemplate(HWND dialog) {
  const LONG style = GetWindowLongA(dialog, GWL_STYLE);
  CHECK_EQ(style & (DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU),
           DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  char className[64];
  GetClassNameA(dialog, className, sizeof className);
  CHECK_STREQ(className, "#32770");

  // Client size: 202 x 242 dialog units.
  RECT units = {0, 0, 202, 242};
  MapDialogRect(dialog, &units);
  RECT client;
  GetClientRect(dialog, &client);
  CHECK_EQ(client.right, units.right);
  CHECK_EQ(client.bottom, units.bottom);

  size_t index = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (index >= std::size(dialog_template::kControls)) {
      CHECK(!"more controls than the template has");
      break;
    }
    const auto& expected = dialog_template::kControls[index++];
    std::printf("control %zu: \"%s\"\n", index, expected.text);
    CHECK_EQ(GetDlgCtrlID(child), expected.id);
    GetClassNameA(child, className, sizeof className);
    CHECK(lstrcmpiA(className, expected.className) == 0);
    CHECK_EQ((DWORD)GetWindowLongA(child, GWL_STYLE),
             dialog_template::createdStyle(expected.style));
    CHECK_EQ((DWORD)GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE,
             dialog_template::createdExStyle(expected.style));
    CHECK_EQ(IsWindowEnabled(child) != FALSE, (expected.style & WS_DISABLED) == 0);
    CHECK(IsWindowVisible(child));
    // Position and size are each mapped from dialog units.
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, (POINT*)&rect, 2);
    RECT place = {expected.x, expected.y, expected.width, expected.height};
    MapDialogRect(dialog, &place);
    CHECK_EQ(rect.left, place.left);
    CHECK_EQ(rect.top, place.top);
    if ((expected.style & SS_TYPEMASK) == SS_BITMAP && lstrcmpiA(className, "Static") == 0) {
      // The picture takes its bitmap's size.
      HBITMAP bitmap = (HBITMAP)SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0);
      CHECK(bitmap != nullptr);
      BITMAP info = {};
      GetObjectA(bitmap, sizeof info, &info);
      CHECK_EQ(info.bmWidth, 230);
      CHECK_EQ(info.bmHeight, 80);
    } else {
      char text[64];
      GetWindowTextA(child, text, sizeof text);
      CHECK_STREQ(text, expected.text);
      CHECK_EQ(rect.right - rect.left, place.right);
      CHECK_EQ(rect.bottom - rect.top, place.bottom);
    }
  }
  CHECK_EQ(index, std::size(dialog_template::kControls));
}

void checkBitmapResource(HMODULE library) {
  HRSRC found = FindResourceA(library, MAKEINTRESOURCEA(109), (LPCSTR)RT_BITMAP);
  CHECK(found != nullptr);
  if (!found) return;
  const BITMAPINFOHEADER* header = (const BITMAPINFOHEADER*)LockResource(LoadResource(library, found));
  CHECK_EQ(header->biWidth, 230);
  CHECK_EQ(header->biHeight, 80);
  CHECK_EQ(header->biBitCount, 8);
  CHECK(header->biClrUsed == 256 || header->biClrUsed == 0);
  CHECK(FindResourceA(library, MAKEINTRESOURCEA(101), (LPCSTR)RT_DIALOG) != nullptr);
}

void checkBars(HWND dialog) {
  const int expected[3][4] = {{1015, 1, 25, 10}, {1016, 3, 75, 12}, {1014, 1, 25, 10}};
  for (const auto& bar : expected) {
    HWND window = GetDlgItem(dialog, bar[0]);
    int minimum = -1, maximum = -1;
    GetScrollRange(window, SB_CTL, &minimum, &maximum);
    CHECK_EQ(minimum, bar[1]);
    CHECK_EQ(maximum, bar[2]);
    CHECK_EQ(GetScrollPos(window, SB_CTL), bar[3]);
  }
  char label[16];
  GetDlgItemTextA(dialog, 1024, label, sizeof label);
  CHECK_STREQ(label, "12");
}

LRESULT CALLBACK hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

bool loadPlugin(Plugin& plugin) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  char folder[MAX_PATH];
  std::snprintf(folder, sizeof folder, "%svelmo-dialog-%lu", temp, GetCurrentProcessId());
  CreateDirectoryA(folder, nullptr);
  plugin.folder = folder;
  const std::string dll = plugin.folder + "\\vis_velmo.dll";
  if (!CopyFileA("vis_velmo.dll", dll.c_str(), FALSE)) return false;
  DeleteFileA(iniPath(plugin).c_str());
  plugin.library = LoadLibraryA(dll.c_str());
  if (!plugin.library) return false;
  typedef VisHeader* (*GetHeader)();
  GetHeader getHeader = (GetHeader)(void*)GetProcAddress(plugin.library, "winampVisGetHeader");
  if (!getHeader) return false;
  plugin.module = getHeader()->getModule(0);
  if (!plugin.module) return false;

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = hostProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "DialogTestHost";
  RegisterClassA(&windowClass);
  HWND host = CreateWindowExA(0, "DialogTestHost", "1. Artist - Title - Winamp",
                              WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 640, 480, nullptr,
                              nullptr, windowClass.hInstance, nullptr);
  // As the host does: its main window and the DLL's instance.
  plugin.module->parentWindow = host;
  plugin.module->dllInstance = plugin.library;
  return host != nullptr;
}

void unloadPlugin(Plugin& plugin) {
  DestroyWindow(plugin.module->parentWindow);
  FreeLibrary(plugin.library);
  DeleteFileA((plugin.folder + "\\vis_velmo.dll").c_str());
  DeleteFileA(iniPath(plugin).c_str());
  RemoveDirectoryA(plugin.folder.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  Plugin plugin;
  CHECK(loadPlugin(plugin));
  if (!plugin.module) return check::finish();

  if (argc > 1 && std::strcmp(argv[1], "show") == 0) {
    plugin.module->config(plugin.module);
    std::printf("%s", readFile(iniPath(plugin)).c_str());
    unloadPlugin(plugin);
    return 0;
  }

  checkBitmapResource(plugin.library);

  // No plugin.ini: every box checked; the disabled ones cannot be clicked;
  // OK creates the section with all eleven keys at 1, in write order.
  HWND owner = plugin.module->parentWindow;
  openDialog(plugin, [&](HWND dialog) {
    CHECK(GetWindow(dialog, GW_OWNER) == owner);
    CHECK(!IsWindowEnabled(owner));
    checkTemplate(dialog);
    checkBars(dialog);
    CHECK(statesAre(dialog, "11111111111"));
    // The user's clicks do not reach the disabled boxes, but do reach the others.
    for (int id : {1000, 1001, 1002, 1019}) userClick(dialog, id);
    CHECK(statesAre(dialog, "11111111111"));
    userClick(dialog, 1021);
    CHECK(statesAre(dialog, "11111110111"));
    click(dialog, 1021);
    click(dialog, IDOK);
  });
  CHECK(IsWindowEnabled(owner));
  CHECK(fileHolds(iniPath(plugin), "11111111111", true));

  // A 0 in the file shows unchecked, disabled or not, and OK writes it back.
  writeFile(iniPath(plugin), "[Velmo's 3DFX Spectrum Analyzer]\r\nRotateY=0\r\nReflect=0\r\n");
  openDialog(plugin, [](HWND dialog) {
    CHECK(statesAre(dialog, "10111101111"));
    userClick(dialog, 1001);  // disabled
    click(dialog, 1017);      // Spin to Beat off
    CHECK(statesAre(dialog, "10110101111"));
    click(dialog, IDOK);
  });
  CHECK(fileHolds(iniPath(plugin), "10110101111"));

  // Cancel, Escape and the close box after toggling leave the file as it was.
  const std::string before = readFile(iniPath(plugin));
  const std::function<void(HWND)> endings[] = {
      [](HWND dialog) { click(dialog, IDCANCEL); },
      [](HWND dialog) { PostMessageA(GetDlgItem(dialog, 1021), WM_KEYDOWN, VK_ESCAPE, 0); },
      [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
  };
  for (const auto& ending : endings) {
    openDialog(plugin, [&](HWND dialog) {
      for (int id : {1017, 1018, 1020, 1021, 1022, 1025, 1026}) click(dialog, id);
      CHECK(statesAre(dialog, "10101000000"));
      ending(dialog);
    });
    CHECK(readFile(iniPath(plugin)) == before);
  }

  // Enter is OK: the default button.
  openDialog(plugin, [](HWND dialog) {
    click(dialog, 1026);
    SetFocus(GetDlgItem(dialog, 1021));
    PostMessageA(GetDlgItem(dialog, 1021), WM_KEYDOWN, VK_RETURN, 0);
  });
  CHECK(fileHolds(iniPath(plugin), "10110101101"));

  // The sides bar's label follows WM_HSCROLL, and is back at 12 next time.
  openDialog(plugin, [](HWND dialog) {
    HWND sides = GetDlgItem(dialog, 1016);
    SendMessageA(dialog, WM_HSCROLL, SB_PAGERIGHT, (LPARAM)sides);
    char label[16];
    GetDlgItemTextA(dialog, 1024, label, sizeof label);
    CHECK_STREQ(label, "16");
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 0xFFFB), (LPARAM)sides);
    GetDlgItemTextA(dialog, 1024, label, sizeof label);
    CHECK_STREQ(label, "3");
    click(dialog, IDCANCEL);
  });
  openDialog(plugin, [](HWND dialog) {
    checkBars(dialog);
    click(dialog, IDCANCEL);
  });

  unloadPlugin(plugin);
  return check::finish();
}
