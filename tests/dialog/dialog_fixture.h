// Shared by the dialog tests: a fresh folder holding a copy of a module, the
// module loaded from there, and a hook that runs test code inside the
// dialog's modal loop.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "velmo_win32/dialog_testing.h"

namespace dialog_test {

class ModuleFolder {
 public:
  explicit ModuleFolder(const std::string& modulePath) {
    char pattern[] = "/tmp/velmo-dialog-XXXXXX";
    folder_ = mkdtemp(pattern);
    copy_ = folder_ / std::filesystem::path(modulePath).filename();
    std::filesystem::copy_file(modulePath, copy_);
    module_ = LoadLibraryA(copy_.c_str());
  }
  ~ModuleFolder() {
    if (module_) FreeLibrary(module_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  HMODULE module() const { return module_; }
  std::filesystem::path file(const char* name) const { return folder_ / name; }
  std::string read(const char* name) const {
    std::ifstream in(file(name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  bool exists(const char* name) const { return std::filesystem::exists(file(name)); }
  void write(const char* name, const std::string& text) const {
    std::ofstream(file(name), std::ios::binary) << text;
  }

 private:
  std::filesystem::path folder_;
  std::filesystem::path copy_;
  HMODULE module_ = nullptr;
};

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
