// Registers the plug-in linked into the page with the platform layer.
#include "web/src/builtin_plugin.h"

#include <windows.h>

#include "plugin/vis.h"
#include "velmo_win32/builtin_modules.h"
#include "velmo_win32/dialog_resource.h"

extern "C" const VelmoResources velmoResources;  // made from velmo.rc at build time
extern "C" int velmoBrowserKeepFolder(const char* folder);  // platform's browser_library.js

namespace velmo_page {

bool installBuiltinPlugin() {
  static const VelmoModuleExport exports[] = {
      {"winampVisGetHeader", reinterpret_cast<const void*>(&winampVisGetHeader)},
      {VELMO_RESOURCES_SYMBOL, &velmoResources},
  };
  static const bool registered = velmoRegisterModule(kPluginPath, exports, 2);
  static const bool kept = velmoBrowserKeepFolder(kPluginFolder) != 0;
  return registered && kept;
}

}  // namespace velmo_page
