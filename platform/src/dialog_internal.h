// Internal: the pieces of the dialog manager shared by its files: the
// standard control classes, the running dialogs, and the presenters that
// show a dialog (dialog_gtk.cpp: a GTK window when there is a display;
// dialog_browser.cpp: an HTML form in the web page).
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "velmo_win32/dialog_resource.h"

namespace velmo_win32::dialog {

enum class ControlKind { kPushButton,
                         kCheckBox,
                         kGroupBox,
                         kText,
                         kPicture,
                         kScrollBar,
                         kOther };

// Registers "Button", "Static" and "ScrollBar" once per process.
void registerControlClasses();
ControlKind controlKind(HWND control);

struct ScrollState {
  int minimum = 0;
  int maximum = 100;
  int position = 0;
};
ScrollState scrollState(HWND bar);

// A dialog's appearance on screen. The controls' state lives in the platform
// windows; a presenter mirrors it and turns the user's actions into the
// messages Win32 sends (BM_CLICK, WM_COMMAND, WM_HSCROLL).
class Presenter {
 public:
  virtual ~Presenter() = default;
  // Text, check state, enabled state or scroll position of a control changed.
  virtual void controlChanged(HWND control) = 0;
  virtual void show() = 0;
  // Handles pending toolkit events, waiting up to a few milliseconds for one.
  virtual void pump() = 0;
};

// The dialog on screen, or nullptr when this system cannot show it (no
// display). controls are the dialog's child windows in template order.
std::unique_ptr<Presenter> createPresenter(HWND dialog, HWND owner,
                                           const VelmoDialogTemplate& dialogTemplate,
                                           const VelmoResources& resources,
                                           const std::vector<HWND>& controls);

// Enter (the default button) or Escape (Cancel), as IsDialogMessage answers them.
void pressDialogKey(HWND dialog, int virtualKey);

// Called by the control procedures after their state changed.
void notifyControlChanged(HWND control);

// Dialog units to pixels for MS Sans Serif 8 (base units 6 x 13).
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;
inline int unitsToPixelsX(int units) { return (units * kBaseUnitX + 2) / 4; }
inline int unitsToPixelsY(int units) { return (units * kBaseUnitY + 4) / 8; }

}  // namespace velmo_win32::dialog
