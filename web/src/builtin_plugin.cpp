// Registers the plug-in linked into the page with the platform layer.
#include "builtin_plugin.h"

#include <vis_abi.h>
#include <windows.h>

#include "velmo_win32/builtin_modules.h"
#include "velmo_win32/dialog_resource.h"

// The plug-in's two exports, linked into the program: its header, and the
// tables made from velmo.rc at build time.
extern "C" VisHeader* winampVisGetHeader();
extern "C" const VelmoResources velmoResources;
// In the platform layer's browser_library.js.
extern "C" int velmoBrowserKeepFolder(const char* folder);

namespace velmo_page {

bool installBuiltinPlugin() {
  static const VelmoModuleExport exports[] = {
      {VIS_GET_HEADER_EXPORT, reinterpret_cast<const void*>(&winampVisGetHeader)},
      {VELMO_RESOURCES_SYMBOL, &velmoResources},
  };
  static const bool registered = velmoRegisterModule(kPluginPath, exports, 2);
  static const bool kept = velmoBrowserKeepFolder(kPluginFolder) != 0;
  return registered && kept;
}

}  // namespace velmo_page
