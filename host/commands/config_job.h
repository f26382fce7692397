// Shows the plug-in's configuration dialog, as Winamp's preferences do: the
// module's config callback with our main window as the owner.
#pragma once
#include <string>

namespace velmo {

int runConfigJob(const std::string& pluginPath);

}  // namespace velmo
