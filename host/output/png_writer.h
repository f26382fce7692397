// Writes a frame as an 8-bit RGB PNG file through libpng.
#pragma once
#include <string>
#include "output/frame.h"

namespace velmo {

// False, with `error` naming the file and the reason, when the file cannot be
// written completely (no folder, no permission, disk full). The file is
// written beside `path` and put in its place only when complete.
bool writePng(const std::string& path, const Frame& frame, std::string* error);

}  // namespace velmo
