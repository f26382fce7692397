// glide2x.ini beside glide2x.dll: the folder a user put the DLL in, whatever
// the program's or the current folder.
#include <windows.h>

#include "ini_settings.h"

namespace glide {

std::string iniFileText() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&iniFileText), &self))
    return {};
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string name(path, length);
  const size_t slash = name.find_last_of("\\/");
  name.replace(slash == std::string::npos ? 0 : slash + 1, std::string::npos, "glide2x.ini");

  HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text(64 * 1024, '\0');
  DWORD got = 0;
  if (!ReadFile(file, &text[0], DWORD(text.size()), &got, nullptr)) got = 0;
  CloseHandle(file);
  text.resize(got);
  return text;
}

}  // namespace glide
