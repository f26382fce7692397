// The standard dialog controls as platform windows: buttons (push, check,
// group), static text and pictures, and scroll bars, answering the Win32
// messages that set and read their state.
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "dialog_internal.h"
#include "window_registry.h"

namespace velmo_win32::dialog {
namespace {

struct ControlState {
  UINT check = BST_UNCHECKED;
  ScrollState scroll;
};

std::mutex& stateMutex() {
  static std::mutex mutex;
  return mutex;
}

std::map<HWND, ControlState>& states() {
  static std::map<HWND, ControlState> table;
  return table;
}

ControlState stateOf(HWND control) {
  std::lock_guard<std::mutex> lock(stateMutex());
  const auto found = states().find(control);
  return found == states().end() ? ControlState{} : found->second;
}

template <typename Change>
void changeState(HWND control, Change change) {
  {
    std::lock_guard<std::mutex> lock(stateMutex());
    change(states()[control]);
  }
  notifyControlChanged(control);
}

void notifyParent(HWND control, WORD code) {
  const int id = static_cast<int>(GetWindowLongPtrA(control, GWLP_ID));
  SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, code),
               reinterpret_cast<LPARAM>(control));
}

// Messages every control answers the same way.
LRESULT commonMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcA(control, message, wParam, lParam);
      notifyControlChanged(control);
      return result;
    }
    case WM_ENABLE:
      notifyControlChanged(control);
      return 0;
    case WM_NCDESTROY: {
      std::lock_guard<std::mutex> lock(stateMutex());
      states().erase(control);
      break;
    }
    default:
      break;
  }
  return DefWindowProcA(control, message, wParam, lParam);
}

LRESULT buttonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  const ControlKind kind = controlKind(button);
  switch (message) {
    case BM_GETCHECK:
      return kind == ControlKind::kCheckBox ? stateOf(button).check : BST_UNCHECKED;
    case BM_SETCHECK:
      if (kind == ControlKind::kCheckBox) {
        changeState(button, [wParam](ControlState& s) { s.check = static_cast<UINT>(wParam) & 3; });
      }
      return 0;
    case BM_CLICK:
      // As Win32, the program's click works on a disabled button too; the
      // user's clicks never reach one (velmoUserClick, the GTK window).
      if (kind == ControlKind::kGroupBox) return 0;
      if ((GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        changeState(button, [](ControlState& s) {
          s.check = s.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        });
      }
      notifyParent(button, BN_CLICKED);
      return 0;
    default:
      return commonMessage(button, message, wParam, lParam);
  }
}

LRESULT staticProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  return commonMessage(control, message, wParam, lParam);
}

int clampPosition(const ScrollState& scroll, int position) {
  if (position < scroll.minimum) return scroll.minimum;
  if (position > scroll.maximum) return scroll.maximum;
  return position;
}

LRESULT scrollBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case SBM_GETPOS:
      return stateOf(bar).scroll.position;
    case SBM_SETPOS: {
      int previous = 0;
      changeState(bar, [&](ControlState& s) {
        previous = s.scroll.position;
        s.scroll.position = clampPosition(s.scroll, static_cast<int>(wParam));
      });
      return previous;
    }
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
      const int minimum = static_cast<int>(wParam);
      const int maximum = static_cast<int>(lParam);
      int previous = 0;
      changeState(bar, [&](ControlState& s) {
        previous = s.scroll.position;
        s.scroll.minimum = minimum;
        s.scroll.maximum = maximum;
        s.scroll.position = clampPosition(s.scroll, s.scroll.position);
      });
      return previous;
    }
    case SBM_GETRANGE: {
      const ScrollState scroll = stateOf(bar).scroll;
      if (wParam) *reinterpret_cast<int*>(wParam) = scroll.minimum;
      if (lParam) *reinterpret_cast<int*>(lParam) = scroll.maximum;
      return 0;
    }
    default:
      return commonMessage(bar, message, wParam, lParam);
  }
}

bool classIs(HWND window, const char* name) {
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  return strcasecmp(className, name) == 0;
}

}  // namespace

void registerControlClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    const struct {
      const char* name;
      WNDPROC proc;
    } classes[] = {{"Button", buttonProc}, {"Static", staticProc}, {"ScrollBar", scrollBarProc}};
    for (const auto& entry : classes) {
      WNDCLASSA windowClass{};
      windowClass.lpfnWndProc = entry.proc;
      windowClass.lpszClassName = entry.name;
      RegisterClassA(&windowClass);
    }
  });
}

ControlKind controlKind(HWND control) {
  const DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
  if (classIs(control, "Button")) {
    switch (style & BS_TYPEMASK) {
      case BS_PUSHBUTTON:
      case BS_DEFPUSHBUTTON:
        return ControlKind::kPushButton;
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
        return ControlKind::kCheckBox;
      case BS_GROUPBOX:
        return ControlKind::kGroupBox;
      default:
        return ControlKind::kOther;
    }
  }
  if (classIs(control, "Static"))
    return (style & SS_TYPEMASK) == SS_BITMAP ? ControlKind::kPicture : ControlKind::kText;
  if (classIs(control, "ScrollBar")) return ControlKind::kScrollBar;
  return ControlKind::kOther;
}

ScrollState scrollState(HWND bar) { return stateOf(bar).scroll; }

}  // namespace velmo_win32::dialog

// The class name as registered (Win32 keeps the registered spelling).
extern "C" int GetClassNameA(HWND window, LPSTR className, int maxCount) {
  const velmo_win32::WindowPtr found = velmo_win32::findWindowOrFail(window);
  if (!found || !className || maxCount <= 0) return 0;
  const std::string& name = found->windowClass->name;
  const int length = std::min(static_cast<int>(name.size()), maxCount - 1);
  std::memcpy(className, name.data(), static_cast<size_t>(length));
  className[length] = '\0';
  return length;
}

// Only a control's own bar (SB_CTL) exists here; windows have no scroll bars.
extern "C" int SetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL redraw) {
  if (bar != SB_CTL || !IsWindow(window)) return FALSE;
  SendMessageA(window, redraw ? SBM_SETRANGEREDRAW : SBM_SETRANGE, static_cast<WPARAM>(minimum),
               static_cast<LPARAM>(maximum));
  return TRUE;
}

extern "C" BOOL GetScrollRange(HWND window, int bar, int* minimum, int* maximum) {
  if (bar != SB_CTL || !IsWindow(window)) return FALSE;
  SendMessageA(window, SBM_GETRANGE, reinterpret_cast<WPARAM>(minimum),
               reinterpret_cast<LPARAM>(maximum));
  return TRUE;
}

extern "C" int SetScrollPos(HWND window, int bar, int position, BOOL redraw) {
  if (bar != SB_CTL) return 0;
  return static_cast<int>(SendMessageA(window, SBM_SETPOS, static_cast<WPARAM>(position), redraw));
}

extern "C" int GetScrollPos(HWND window, int bar) {
  if (bar != SB_CTL) return 0;
  return static_cast<int>(SendMessageA(window, SBM_GETPOS, 0, 0));
}

// Returns whether the window was disabled before, as Win32 does.
extern "C" BOOL EnableWindow(HWND window, BOOL enable) {
  if (!IsWindow(window)) return FALSE;
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  const bool wasDisabled = (style & WS_DISABLED) != 0;
  if (wasDisabled == !enable) return wasDisabled;
  SetWindowLongA(window, GWL_STYLE, enable ? (style & ~WS_DISABLED) : (style | WS_DISABLED));
  SendMessageA(window, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

extern "C" BOOL IsWindowEnabled(HWND window) {
  return IsWindow(window) && !(GetWindowLongA(window, GWL_STYLE) & WS_DISABLED);
}
