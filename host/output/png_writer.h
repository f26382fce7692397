// Writes a frame as an 8-bit RGB PNG file through libpng.
#pragma once
#include <string>
#include "output/frame.h"

namespace velmo {

// False, with `error` naming the file and the reason, when the file cannot be
// written completely (no folder, no permission, disk full). The file is
// written beside `path` and put in its place only when complete, replacing a
// file there only with `replace` (see AtomicFile::commit); `placedAt`, when
// given, gets where it went.
bool writePng(const std::string& path, const Frame& frame, bool replace, std::string* error,
              std::string* placedAt = nullptr);

}  // namespace velmo
