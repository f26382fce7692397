// Settings from glide2x.ini, the file a user edits beside glide2x.dll:
//
//   [glide2x]
//   Scale=auto        1 to 4, or auto
//   FullScreen=0      0/1, off/on, no/yes, false/true
//   Threads=0         0 (one per processor) to 64
//   Dither=0
//   Window=1
//
// Only the [glide2x] section counts (names of sections and keys in any case);
// lines starting with ';' or '#' and anything after ';' or '#' on a line are
// comments. A key with a value out of range, an unknown key, a line that is
// not "key=value" and any other section are ignored, each on its own: a
// damaged file leaves the defaults, never fails. The environment
// (VELMO_GLIDE_*) is read after it and overrides it.
#pragma once

#include <string>
#include <string_view>

#include "context.h"

namespace glide {

// Applies the settings of an INI file's text to settings.
void applyIniSettings(std::string_view text, Settings& settings);
// One key and its value, by the same rules (the environment's VELMO_GLIDE_SCALE
// and the like go through it too); an unknown key or a bad value changes nothing.
void applyIniSetting(std::string_view key, std::string_view value, Settings& settings);

// The text of glide2x.ini beside the library (Windows), or "" when there is
// none, it cannot be read, or on other systems. At most 64 KB of it.
std::string iniFileText();

}  // namespace glide
