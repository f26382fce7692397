// Shared by the dialog tests: a fresh folder holding a copy of a module, the
// module loaded from there (tests/support), and a hook that runs test code
// inside the dialog's modal loop.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "module_folder.h"
#include "velmo_win32/dialog_testing.h"

namespace dialog_test {

using velmo_test::ModuleFolder;
using velmo_test::readFile;
using velmo_test::writeFile;

// Runs `body` with the dialog's handle once the dialog is initialised.
class DialogHook {
 public:
  explicit DialogHook(std::function<void(HWND)> body) : body_(std::move(body)) {
    velmoSetDialogHeadless(TRUE);
    velmoSetDialogHook(&DialogHook::call, this);
  }
  ~DialogHook() { velmoSetDialogHook(nullptr, nullptr); }
  int calls() const { return calls_; }

 private:
  static void call(HWND dialog, void* self) {
    auto* hook = static_cast<DialogHook*>(self);
    ++hook->calls_;
    hook->body_(dialog);
  }
  std::function<void(HWND)> body_;
  int calls_ = 0;
};

inline void press(HWND dialog, int commandId) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(commandId, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, commandId)));
}

// The user's click: it does not reach a disabled control.
inline void click(HWND dialog, int controlId) { velmoUserClick(GetDlgItem(dialog, controlId)); }

inline std::string itemText(HWND dialog, int id) {
  char text[256] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

}  // namespace dialog_test
