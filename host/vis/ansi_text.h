// Text for the Win32 "A" calls. A Winamp caption was ANSI text, and the
// plug-in's font covers Windows-1252: our UTF-8 (tags, file names) is
// converted to it before the plug-in reads a caption.
#pragma once
#include <string>

namespace velmo {

// `text` in Windows-1252: each character it lacks becomes '?'. Text that is
// not UTF-8 at all is taken as 8-bit already and passed through unchanged.
std::string toWindows1252(const std::string& text);

}  // namespace velmo
