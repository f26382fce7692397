// Dialog 101 as the user must see it, control by control in template order;
// shared by the POSIX and the Win32 tests.
#pragma once
#include <windows.h>

namespace dialog_template {

struct ExpectedControl {
  int id;
  const char* className;
  DWORD style;  // as in the template
  const char* text;
  int x, y, width, height;  // dialog units
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kBox = kChild | BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kLabel = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kBar = kChild | SBS_HORZ | WS_DISABLED;

constexpr ExpectedControl kControls[] = {
    {1, "Button", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, "OK", 91, 219, 46, 14},
    {2, "Button", kChild | BS_PUSHBUTTON | WS_TABSTOP, "Cancel", 149, 219, 45, 14},
    {1000, "Button", kBox | WS_DISABLED, "Rotate X", 16, 17, 41, 10},
    {1001, "Button", kBox | WS_DISABLED, "Rotate Y", 16, 32, 44, 10},
    {1002, "Button", kBox | WS_DISABLED, "Rotate Z", 16, 47, 44, 10},
    {0xFFFF, "Static", kLabel, "Rotation Speed:", 81, 14, 55, 8},
    {0xFFFF, "Static", kLabel, "Rotation Speed:", 90, 104, 86, 8},
    {1014, "ScrollBar", kBar, "", 90, 113, 90, 9},
    {1015, "ScrollBar", kBar, "", 81, 23, 90, 9},
    {0xFFFF, "Button", kChild | BS_GROUPBOX, "Spectrum:", 7, 6, 187, 85},
    {1017, "Button", kBox, "Spin to Beat", 16, 61, 53, 11},
    {1018, "Button", kBox | BS_MULTILINE, "Backgounrd Spectrum", 90, 61, 87, 11},
    {0xFFFF, "Static", kLabel, "Number of Sides for a Spectrum:", 81, 35, 110, 9},
    {1016, "ScrollBar", kBar, "", 81, 45, 90, 9},
    {1024, "Static", kLabel, "12", 176, 46, 18, 8},
    {0xFFFF, "Button", kChild | BS_GROUPBOX, "Platform:", 7, 95, 187, 35},
    {1020, "Button", kBox, "Display Platform", 16, 110, 62, 8},
    {1021, "Button", kBox, "Display Time", 16, 135, 61, 9},
    {1022, "Button", kBox, "Display Song Name", 90, 135, 75, 9},
    {1019, "Button", kBox | WS_DISABLED, "Show Reflection", 16, 75, 69, 11},
    {1025, "Button", kBox, "Pointed Ends", 90, 76, 83, 9},
    {1026, "Button", kBox, "Rotate Logo", 16, 147, 68, 10},
    {0xFFFF, "Static", kChild | SS_BITMAP | SS_SUNKEN | WS_BORDER, "", 24, 161, 156, 52},
};

// The dialog manager draws a control's WS_BORDER as a sunken client edge.
constexpr DWORD createdStyle(DWORD templateStyle) { return templateStyle & ~WS_BORDER; }
constexpr DWORD createdExStyle(DWORD templateStyle) {
  return (templateStyle & WS_BORDER) ? WS_EX_CLIENTEDGE : 0;
}

}  // namespace dialog_template
