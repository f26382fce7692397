// Where the player finds its plug-in, and where the plug-in's settings go.
//
// The plug-in keeps plugin.ini beside itself, as in Winamp's plug-in folder.
// An installed copy (e.g. /usr/local/lib/velmo) is not writable by users,
// and one under /usr is never written, by root either, so the player gives
// each user a plug-in folder of their own:
// $XDG_DATA_HOME/velmo/plugins (~/.local/share/velmo/plugins), holding
// symbolic links to the plug-in and its textures, and loads the plug-in from
// there; its plugin.ini is then written in that folder. A plug-in in a folder
// the user can write (a build tree, a copy of one's own) is used in place.
#pragma once
#include <string>

namespace velmo {

constexpr const char* kPluginFileName = "vis_velmo.so";

// Beside the program (a build tree) or in ../lib/velmo (an installation);
// empty when neither has one.
std::string defaultPluginPath();

// `pluginPath` itself when its folder is writable and not under /usr, else
// the same plug-in linked into the user's plug-in folder (created or
// refreshed as needed).
// On failure returns `pluginPath` and explains in `note`.
std::string userWritablePluginPath(const std::string& pluginPath, std::string* note);

// Links the plug-in and the textures beside it into `folder` (created when
// missing); links left from an older installation are pointed anew, files
// of the user's own are kept. Returns the plug-in's path in `folder`, or
// empty with `note` saying why.
std::string linkPluginInto(const std::string& pluginPath, const std::string& folder, std::string* note);

}  // namespace velmo
