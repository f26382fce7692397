// Window classes: RegisterClassA and UnregisterClassA.
#include "text_compare.h"
#include "window_registry.h"

#include <algorithm>

namespace velmo_win32 {
namespace {

std::vector<std::shared_ptr<WindowClass>>& classes() {
  static auto* table = new std::vector<std::shared_ptr<WindowClass>>;
  return *table;
}

ATOM nextAtom() {
  static ATOM atom = 0xC000;  // where user32's string atoms begin
  return atom++;
}

bool matches(const WindowClass& windowClass, LPCSTR nameOrAtom, HINSTANCE instance) {
  if (instance && windowClass.fields.hInstance != instance) return false;
  if (IS_INTRESOURCE(nameOrAtom)) {
    return windowClass.atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(nameOrAtom));
  }
  return equalsIgnoringCase(windowClass.name, nameOrAtom);
}

}  // namespace

std::shared_ptr<WindowClass> findClass(LPCSTR nameOrAtom, HINSTANCE instance) {
  if (!nameOrAtom) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  for (auto& windowClass : classes()) {
    if (matches(*windowClass, nameOrAtom, instance)) return windowClass;
  }
  return nullptr;
}

}  // namespace velmo_win32

using namespace velmo_win32;

extern "C" ATOM RegisterClassA(const WNDCLASSA* wndClass) {
  if (!wndClass || !wndClass->lpszClassName || IS_INTRESOURCE(wndClass->lpszClassName) ||
      wndClass->cbClsExtra < 0 || wndClass->cbWndExtra < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  HINSTANCE instance = wndClass->hInstance ? wndClass->hInstance : GetModuleHandleA(nullptr);
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  if (findClass(wndClass->lpszClassName, instance)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto windowClass = std::make_shared<WindowClass>();
  windowClass->name = wndClass->lpszClassName;
  windowClass->fields = *wndClass;
  windowClass->fields.hInstance = instance;
  windowClass->fields.lpszClassName = nullptr;  // the caller's text may not outlive the call
  windowClass->fields.lpszMenuName = nullptr;
  windowClass->atom = nextAtom();
  classes().push_back(windowClass);
  return windowClass->atom;
}

extern "C" BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance) {
  if (!instance) instance = GetModuleHandleA(nullptr);
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  auto found = findClass(className, instance);
  if (!found) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (found->windowCount > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  auto& table = classes();
  table.erase(std::remove(table.begin(), table.end(), found), table.end());
  return TRUE;
}
