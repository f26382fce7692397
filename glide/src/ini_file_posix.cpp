// Elsewhere than on Windows the player and the environment set our Glide up:
// there is no glide2x.ini.
#include "ini_settings.h"

namespace glide {

std::string iniFileText() { return {}; }

}  // namespace glide
