// Modules linked into the program, for systems without dynamic loading (the
// web page, src/modules_browser.cpp): not part of Win32. A module registered
// here is loaded by LoadLibraryA under its path (or the bare file name),
// GetProcAddress finds the names registered with it, and GetModuleFileNameA
// gives the path, so the module finds its files in that path's folder.
#pragma once
#include <windows.h>

struct VelmoModuleExport {
  const char* name;
  const void* address;
};

extern "C" {
// Copies nothing: the path and the table must live as long as the program.
// An empty file is put at the path if there is none, so the module's file is
// there as on disk. FALSE when the path is taken already.
BOOL velmoRegisterModule(const char* path, const VelmoModuleExport* exports, int exportCount);
}
