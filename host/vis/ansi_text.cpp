// UTF-8 to Windows-1252 through iconv.
#include "vis/ansi_text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace velmo {
namespace {

// Bytes in the UTF-8 sequence led by `lead` (1 for a stray byte).
size_t sequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~Converter() {
    if (usable()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool usable() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of [in, in + size) as it can; returns the bytes taken.
  size_t convert(const char* in, size_t size, std::string* out) {
    char buffer[256];
    char* source = const_cast<char*>(in);
    size_t left = size;
    while (left > 0) {
      char* target = buffer;
      size_t room = sizeof buffer;
      const size_t result = iconv(handle_, &source, &left, &target, &room);
      out->append(buffer, static_cast<size_t>(target - buffer));
      if (result == static_cast<size_t>(-1) && errno != E2BIG) break;
    }
    return size - left;
  }

  // Converts [in, in + size) as one piece; false, adding nothing, when a
  // character in it has no equivalent.
  bool convertWhole(const char* in, size_t size, std::string* out) {
    char buffer[16];
    char* source = const_cast<char*>(in);
    char* target = buffer;
    size_t left = size, room = sizeof buffer;
    // Above zero: characters replaced by the library's own mark.
    if (iconv(handle_, &source, &left, &target, &room) != 0 || left != 0) return false;
    out->append(buffer, static_cast<size_t>(target - buffer));
    return true;
  }

 private:
  iconv_t handle_;
};

}  // namespace

std::string toWindows1252(const std::string& text) {
  Converter check("UTF-8", "UTF-8");
  std::string ignored;
  if (check.usable() && check.convert(text.data(), text.size(), &ignored) != text.size()) return text;
  Converter toAnsi("WINDOWS-1252", "UTF-8");
  if (!toAnsi.usable()) return text;
  // A character at a time: glibc refuses one the set lacks, musl (the web
  // page's C library) writes '*' for it; either way it becomes '?'.
  std::string result;
  for (size_t at = 0; at < text.size();) {
    const size_t length = std::min(sequenceLength(static_cast<unsigned char>(text[at])), text.size() - at);
    if (!toAnsi.convertWhole(text.data() + at, length, &result)) result += '?';
    at += length;
  }
  return result;
}

}  // namespace velmo
