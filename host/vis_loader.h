// Loads a Winamp visualization plug-in the way Winamp does: LoadLibraryA,
// GetProcAddress("winampVisGetHeader"), the header's getModule(0). Written
// against Win32 calls only, so it serves the Windows build and, through our
// POSIX layer, the Linux one.
#pragma once
#include <windows.h>

#include <string>

#include "plugin/vis.h"

namespace velmo {

struct LoadedVis {
  HMODULE library = nullptr;
  VisHeader* header = nullptr;
  VisModule* module = nullptr;
};

// Winamp accepts only headers of this version.
constexpr int kVisHeaderVersion = 0x101;

// False, with `error` saying why in words a user understands, when `path` is
// missing, is not a library, or is a library but not a vis plug-in.
bool loadVis(const std::string& path, LoadedVis* vis, std::string* error);
void unloadVis(LoadedVis* vis);

// Fills the host's fields of the module: parentWindow, dllInstance (the
// library's handle), sampleRate and channelCount.
void attachVis(LoadedVis* vis, HWND hostWindow, int sampleRate, int channels);
// The Winamp calling order for one run: attachVis, then init. Returns init's
// result.
int startVis(LoadedVis* vis, HWND hostWindow, int sampleRate, int channels);

}  // namespace velmo
