// The plug-in as the page's player loads it: linked into the program, found
// by LoadLibraryA under a path whose folder holds its textures and plugin.ini.
#pragma once

namespace velmo_page {

// The plug-in's file; its folder's files stay in the browser's storage.
constexpr const char* kPluginPath = "/plugins/vis_velmo";
constexpr const char* kPluginFolder = "/plugins";

// Registers the plug-in module (once) and keeps its folder in the browser's
// storage, restoring plugin.ini from there. False when the storage cannot be
// read; the plug-in then works with the page's session alone.
bool installBuiltinPlugin();

}  // namespace velmo_page
