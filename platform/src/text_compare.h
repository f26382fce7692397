// Internal: ASCII case-insensitive comparison, as Win32 matches class names,
// window titles and profile keys.
#ifndef VELMO_WIN32_TEXT_COMPARE_H
#define VELMO_WIN32_TEXT_COMPARE_H

#include <string_view>

namespace velmo_win32 {

inline char foldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (foldCase(a[i]) != foldCase(b[i])) return false;
  }
  return true;
}

}  // namespace velmo_win32

#endif
