// GetModuleFileNameA's answer, cut to the caller's buffer as Win32 cuts it.
#include "module_file_name.h"

#include <cstring>

namespace velmo_win32 {

DWORD copyModuleFileName(const std::string& path, LPSTR fileName, DWORD size) {
  if (!fileName || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() < size) {
    std::memcpy(fileName, path.c_str(), path.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
  }
  std::memcpy(fileName, path.data(), size - 1);
  fileName[size - 1] = '\0';
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

}  // namespace velmo_win32
