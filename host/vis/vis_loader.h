// Loads a Winamp visualization plug-in the way Winamp does: LoadLibraryA,
// GetProcAddress("winampVisGetHeader"), the header's getModule(0). Written
// against Win32 calls only, so it serves the Windows build and, through our
// POSIX layer, the Linux one.
#pragma once
#include <windows.h>

#include <string>

#include <vis_abi.h>

namespace velmo {

struct LoadedVis {
  HMODULE library = nullptr;
  VisHeader* header = nullptr;
  VisModule* module = nullptr;
};

// False, with `error` saying why, when `path` is missing or no regular file
// (a pipe would never give the loader an end); only its type is looked at.
bool visFileUsable(const std::string& path, std::string* error);

// False, with `error` saying why in words a user understands, when `path` is
// missing, is not a library, or is a library but not a vis plug-in.
bool loadVis(const std::string& path, LoadedVis* vis, std::string* error);
void unloadVis(LoadedVis* vis);

// Fills the host's fields of the module: parentWindow, dllInstance (the
// library's handle), sampleRate and channelCount.
void attachVis(LoadedVis* vis, HWND hostWindow, int sampleRate, int channels);
// The Winamp calling order for one run: attachVis, then init. Returns init's
// result: 0 when the plug-in started, anything else when it refused (the host
// then neither renders nor quits it).
int startVis(LoadedVis* vis, HWND hostWindow, int sampleRate, int channels);

}  // namespace velmo
