// Modal dialogs built from a module's compiled templates: DialogBoxParamA
// with its modal loop, EndDialog, and the calls that reach a dialog's
// controls by id.
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <vector>

#include "dialog_internal.h"
#include "velmo_win32/dialog_testing.h"

#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L

namespace velmo_win32::dialog {
namespace {

constexpr const char* kDialogClass = "#32770";

struct RunningDialog {
  DLGPROC proc = nullptr;
  std::atomic<bool> ended{false};
  std::atomic<INT_PTR> result{0};
  Presenter* presenter = nullptr;  // owned by DialogBoxParamA's frame
};

std::mutex& dialogsMutex() {
  static std::mutex mutex;
  return mutex;
}

std::map<HWND, std::shared_ptr<RunningDialog>>& dialogs() {
  static std::map<HWND, std::shared_ptr<RunningDialog>> table;
  return table;
}

std::shared_ptr<RunningDialog> findDialog(HWND dialog) {
  std::lock_guard<std::mutex> lock(dialogsMutex());
  const auto found = dialogs().find(dialog);
  return found == dialogs().end() ? nullptr : found->second;
}

struct TestSettings {
  std::mutex mutex;
  VelmoDialogHook hook = nullptr;
  void* context = nullptr;
  bool headless = false;
};

TestSettings& testSettings() {
  static TestSettings settings;
  return settings;
}

// What DefDlgProc does with the messages the dialog procedure leaves.
LRESULT dialogWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  const std::shared_ptr<RunningDialog> running = findDialog(dialog);
  if (running && running->proc) {
    const INT_PTR handled = running->proc(dialog, message, wParam, lParam);
    if (message == WM_INITDIALOG) return handled;
    if (handled) return 0;
  }
  switch (message) {
    case WM_CLOSE:
      // The close box cancels, as Escape does.
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
      return 0;
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
      return 0;
    default:
      return DefWindowProcA(dialog, message, wParam, lParam);
  }
}

void registerDialogClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = dialogWindowProc;
    windowClass.lpszClassName = kDialogClass;
    RegisterClassA(&windowClass);
  });
}

const VelmoDialogTemplate* findTemplate(const VelmoResources* resources, LPCSTR name) {
  if (!resources || !IS_INTRESOURCE(name)) return nullptr;
  const int id = static_cast<int>(reinterpret_cast<ULONG_PTR>(name));
  for (int i = 0; i < resources->dialogCount; ++i) {
    if (resources->dialogs[i].id == id) return &resources->dialogs[i];
  }
  return nullptr;
}

HWND defaultButton(HWND dialog) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (controlKind(child) == ControlKind::kPushButton &&
        (GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
      return child;
  }
  return nullptr;
}

// The part of IsDialogMessage the dialogs need: Enter and Escape.
bool handleDialogKey(HWND dialog, const MSG& msg) {
  if (msg.message != WM_KEYDOWN || (msg.hwnd != dialog && GetParent(msg.hwnd) != dialog))
    return false;
  if (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) {
    pressDialogKey(dialog, static_cast<int>(msg.wParam));
    return true;
  }
  return false;
}

std::vector<HWND> createControls(HWND dialog, HINSTANCE instance,
                                 const VelmoDialogTemplate& dialogTemplate) {
  std::vector<HWND> controls;
  for (int i = 0; i < dialogTemplate.itemCount; ++i) {
    const VelmoDialogItem& item = dialogTemplate.items[i];
    // As Win32's dialog manager: a border becomes a sunken client edge.
    const DWORD style = item.style & ~static_cast<DWORD>(WS_BORDER);
    const DWORD exStyle = (item.style & WS_BORDER) ? WS_EX_CLIENTEDGE : 0;
    HWND control = CreateWindowExA(
        exStyle, item.className, item.text, style, unitsToPixelsX(item.x),
        unitsToPixelsY(item.y), unitsToPixelsX(item.width), unitsToPixelsY(item.height), dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), instance, nullptr);
    controls.push_back(control);
  }
  return controls;
}

HWND firstTabStop(const std::vector<HWND>& controls) {
  for (HWND control : controls) {
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    if ((style & WS_TABSTOP) && !(style & WS_DISABLED)) return control;
  }
  return nullptr;
}

// Runs until EndDialog. Without a display, a dialog nobody answers is cancelled.
void runModalLoop(HWND dialog, RunningDialog& running, Presenter* presenter,
                  const char* caption) {
  bool cancelledForNoDisplay = false;
  while (!running.ended) {
    MSG msg;
    bool handledAny = false;
    while (!running.ended && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      handledAny = true;
      if (msg.message == WM_QUIT) {
        // As Win32: the loop ends and the quit message is left for the caller.
        PostQuitMessage(static_cast<int>(msg.wParam));
        running.result = 0;
        running.ended = true;
        return;
      }
      if (handleDialogKey(dialog, msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (running.ended) return;
    if (presenter) {
      presenter->pump();
    } else if (!handledAny) {
      if (cancelledForNoDisplay) {
        // The procedure ignored the cancel; nothing else can end the dialog.
        running.result = IDCANCEL;
        running.ended = true;
        return;
      }
      std::fprintf(stderr, "velmo: no display to show the dialog \"%s\"; cancelled\n", caption);
      cancelledForNoDisplay = true;
      pressDialogKey(dialog, VK_ESCAPE);
    }
  }
}

}  // namespace

void pressDialogKey(HWND dialog, int virtualKey) {
  if (virtualKey == VK_RETURN) {
    HWND button = defaultButton(dialog);
    const int id = button ? static_cast<int>(GetWindowLongPtrA(button, GWLP_ID)) : IDOK;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  } else if (virtualKey == VK_ESCAPE) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
  }
}

void notifyControlChanged(HWND control) {
  const std::shared_ptr<RunningDialog> running = findDialog(GetParent(control));
  if (running && running->presenter) running->presenter->controlChanged(control);
}

}  // namespace velmo_win32::dialog

using namespace velmo_win32::dialog;

extern "C" INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                                   DLGPROC dialogProc, LPARAM initParam) {
  HMODULE module = instance ? instance : GetModuleHandleA(nullptr);
  const auto* resources = reinterpret_cast<const VelmoResources*>(
      GetProcAddress(module, VELMO_RESOURCES_SYMBOL));
  if (!resources) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return -1;
  }
  const VelmoDialogTemplate* dialogTemplate = findTemplate(resources, templateName);
  if (!dialogTemplate) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return -1;
  }
  registerControlClasses();
  registerDialogClass();

  // The owner is disabled while the dialog runs, as Win32 does.
  if (owner && !IsWindow(owner)) owner = nullptr;
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  HWND dialog = CreateWindowExA(
      0, kDialogClass, dialogTemplate->caption,
      dialogTemplate->style & ~static_cast<DWORD>(WS_VISIBLE), unitsToPixelsX(dialogTemplate->x),
      unitsToPixelsY(dialogTemplate->y), unitsToPixelsX(dialogTemplate->width),
      unitsToPixelsY(dialogTemplate->height), owner, nullptr, module, nullptr);
  if (!dialog) return -1;
  auto running = std::make_shared<RunningDialog>();
  {
    std::lock_guard<std::mutex> lock(dialogsMutex());
    dialogs()[dialog] = running;
  }
  const std::vector<HWND> controls = createControls(dialog, module, *dialogTemplate);

  TestSettings& settings = testSettings();
  VelmoDialogHook hook;
  void* hookContext;
  bool headless;
  {
    std::lock_guard<std::mutex> lock(settings.mutex);
    hook = settings.hook;
    hookContext = settings.context;
    headless = settings.headless;
  }
  std::unique_ptr<Presenter> presenter;
  if (!headless) presenter = createPresenter(dialog, owner, *dialogTemplate, *resources, controls);

  running->proc = dialogProc;
  running->presenter = presenter.get();
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop(controls)), initParam);
  if (!running->ended) {
    ShowWindow(dialog, SW_SHOWNORMAL);
    if (presenter) presenter->show();
    if (hook) hook(dialog, hookContext);
    runModalLoop(dialog, *running, presenter.get(), dialogTemplate->caption);
  }

  // The owner comes back before the dialog goes, so it gets the activation.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  running->presenter = nullptr;
  presenter.reset();
  DestroyWindow(dialog);
  {
    std::lock_guard<std::mutex> lock(dialogsMutex());
    dialogs().erase(dialog);
  }
  return running->result;
}

extern "C" BOOL EndDialog(HWND dialog, INT_PTR result) {
  const std::shared_ptr<RunningDialog> running = findDialog(dialog);
  if (!running) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  running->result = result;
  running->ended = true;
  return TRUE;
}

extern "C" HWND GetDlgItem(HWND dialog, int id) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (static_cast<int>(GetWindowLongPtrA(child, GWLP_ID) & 0xFFFF) == (id & 0xFFFF)) return child;
  }
  return nullptr;
}

extern "C" int GetDlgCtrlID(HWND control) {
  return static_cast<int>(GetWindowLongPtrA(control, GWLP_ID));
}

extern "C" LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam,
                                       LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SendMessageA(control, message, wParam, lParam) : 0;
}

extern "C" BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return FALSE;
  SendMessageA(control, BM_SETCHECK, check, 0);
  return TRUE;
}

extern "C" UINT IsDlgButtonChecked(HWND dialog, int id) {
  return static_cast<UINT>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

extern "C" BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SetWindowTextA(control, text) : FALSE;
}

extern "C" UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int size) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) {
    if (text && size > 0) text[0] = '\0';
    return 0;
  }
  return static_cast<UINT>(GetWindowTextA(control, text, size));
}

extern "C" void velmoSetDialogHook(VelmoDialogHook hook, void* context) {
  TestSettings& settings = testSettings();
  std::lock_guard<std::mutex> lock(settings.mutex);
  settings.hook = hook;
  settings.context = context;
}

extern "C" BOOL velmoUserClick(HWND control) {
  // Input never reaches a hidden or disabled window, nor one inside a disabled parent.
  for (HWND window = control; window; window = GetParent(window)) {
    if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return FALSE;
  }
  SendMessageA(control, BM_CLICK, 0, 0);
  return TRUE;
}

extern "C" void velmoSetDialogHeadless(BOOL headless) {
  TestSettings& settings = testSettings();
  std::lock_guard<std::mutex> lock(settings.mutex);
  settings.headless = headless != FALSE;
}
