// Loading a vis plug-in through Win32 calls.
#include "vis/vis_loader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace velmo {

bool visFileUsable(const std::string& path, std::string* error) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    *error = path + (errno == ENOENT ? std::string(": no such plug-in file") : ": " + std::string(std::strerror(errno)));
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    *error = path + ": not a Winamp visualization plug-in (" + (S_ISDIR(st.st_mode) ? "a folder" : "not a regular file") + ")";
    return false;
  }
  return true;
}

bool loadVis(const std::string& path, LoadedVis* vis, std::string* error) {
  *vis = LoadedVis{};
  if (!visFileUsable(path, error)) return false;
  HMODULE library = LoadLibraryA(path.c_str());
  if (!library) {
    *error = path + ": not a Winamp visualization plug-in (it cannot be loaded as a library)";
    return false;
  }
  // Through a generic function pointer: FARPROC's own signature is not the export's.
  typedef void (*AnyFunction)(void);
  VisGetHeaderFunction getHeader = reinterpret_cast<VisGetHeaderFunction>(
      reinterpret_cast<AnyFunction>(GetProcAddress(library, VIS_GET_HEADER_EXPORT)));
  if (!getHeader) {
    FreeLibrary(library);
    *error = path + ": not a Winamp visualization plug-in (no " VIS_GET_HEADER_EXPORT " export)";
    return false;
  }
  VisHeader* header = getHeader();
  if (!header || header->version != VIS_HEADER_VERSION || !header->getModule) {
    FreeLibrary(library);
    *error = path + ": not a Winamp visualization plug-in of a version this player knows";
    return false;
  }
  VisModule* module = header->getModule(0);
  if (!module || !module->init || !module->render || !module->quit) {
    FreeLibrary(library);
    *error = path + ": the plug-in offers no usable module";
    return false;
  }
  vis->library = library;
  vis->header = header;
  vis->module = module;
  return true;
}

void unloadVis(LoadedVis* vis) {
  if (vis->library) FreeLibrary(vis->library);
  *vis = LoadedVis{};
}

void attachVis(LoadedVis* vis, HWND hostWindow, int sampleRate, int channels) {
  VisModule* module = vis->module;
  module->parentWindow = hostWindow;
  module->dllInstance = reinterpret_cast<HINSTANCE>(vis->library);
  module->sampleRate = sampleRate;
  module->channelCount = channels;
}

int startVis(LoadedVis* vis, HWND hostWindow, int sampleRate, int channels) {
  attachVis(vis, hostWindow, sampleRate, channels);
  return vis->module->init(vis->module);
}

}  // namespace velmo
