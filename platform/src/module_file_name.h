// Internal: GetModuleFileNameA's copy of a module's path into the caller's
// buffer, the same for every backend.
#pragma once
#include <windows.h>

#include <string>

namespace velmo_win32 {

// As Win32 since Vista: a name that does not fit is cut to size-1
// characters, terminated, and the call returns size with
// ERROR_INSUFFICIENT_BUFFER.
DWORD copyModuleFileName(const std::string& path, LPSTR fileName, DWORD size);

}  // namespace velmo_win32
