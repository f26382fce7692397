// wsprintfA: user32's small printf, without floating point, writing at most
// 1024 bytes including the terminating NUL.
#include <windows.h>

#include <cstdarg>
#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr size_t outputLimit = 1024;

struct Conversion {
  bool leftAlign = false;
  bool hexPrefix = false;
  bool zeroPad = false;
  unsigned width = 0;
  unsigned precision = 0;
  bool hasPrecision = false;
  bool wide = false;     // 'l' or 'w'
  bool pointer = false;  // 'I64' or 'p': a pointer-sized argument
  char type = 0;
};

// Parses the part after '%'; returns the characters consumed.
size_t parseConversion(const char* format, Conversion& conv) {
  const char* p = format;
  if (*p == '-') conv.leftAlign = true, ++p;
  if (*p == '#') conv.hexPrefix = true, ++p;
  if (*p == '0') conv.zeroPad = true, ++p;
  while (*p >= '0' && *p <= '9') conv.width = conv.width * 10 + static_cast<unsigned>(*p++ - '0');
  if (*p == '.') {
    ++p;
    conv.hasPrecision = true;
    while (*p >= '0' && *p <= '9') {
      conv.precision = conv.precision * 10 + static_cast<unsigned>(*p++ - '0');
    }
  }
  if (*p == 'l' || *p == 'w') {
    conv.wide = true, ++p;
  } else if (*p == 'h') {
    ++p;
  } else if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
    conv.pointer = true, p += 3;
  }
  conv.type = *p;
  return conv.type ? static_cast<size_t>(p - format) + 1 : static_cast<size_t>(p - format);
}

std::string digitsOf(unsigned long long value, unsigned base, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), digits[value % base]);
    value /= base;
  } while (value);
  return text;
}

// Formats one conversion; returns false for an unknown type, which Win32
// prints as the bare character.
bool formatOne(const Conversion& conv, va_list& args, std::string& out) {
  // Width and precision never reach past the room left, as in user32.
  const unsigned room = static_cast<unsigned>(outputLimit - 1 - std::min(out.size(), outputLimit - 1));
  std::string body;   // the characters after any sign or prefix
  std::string front;  // sign or "0x"
  bool numeric = false;
  switch (conv.type) {
    case 'c':
    case 'C':
      body.assign(1, static_cast<char>(va_arg(args, int)));
      break;
    case 's':
    case 'S': {
      const char* text = va_arg(args, const char*);
      if (!text) text = "(null)";
      size_t length = std::strlen(text);
      if (conv.hasPrecision && conv.precision > 0 && conv.precision < length) length = conv.precision;
      body.assign(text, length);
      break;
    }
    case 'd':
    case 'i': {
      const long long value = conv.pointer ? va_arg(args, long long) : va_arg(args, int);
      const unsigned long long magnitude =
          value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
      if (value < 0) front = "-";
      body = digitsOf(magnitude, 10, false);
      numeric = true;
      break;
    }
    case 'u': {
      const unsigned long long value =
          conv.pointer ? va_arg(args, unsigned long long) : va_arg(args, unsigned int);
      body = digitsOf(value, 10, false);
      numeric = true;
      break;
    }
    case 'p':
    case 'x':
    case 'X': {
      const bool upper = conv.type != 'x';
      const bool wideValue = conv.pointer || conv.type == 'p';
      const unsigned long long value = wideValue ? reinterpret_cast<uintptr_t>(va_arg(args, void*))
                                                 : va_arg(args, unsigned int);
      body = digitsOf(value, 16, upper);
      if (conv.hexPrefix) front = upper ? "0X" : "0x";
      numeric = true;
      break;
    }
    default:
      return false;
  }

  unsigned width = conv.width;
  unsigned precision = conv.hasPrecision ? conv.precision : 0;
  if (conv.type == 'p') width = 2 * sizeof(void*);
  width = std::min(width, room);
  precision = std::min(precision, room);
  const bool zeroPad = (conv.zeroPad || conv.type == 'p') && !conv.leftAlign;
  std::string field;
  if (numeric) {
    // As user32 counts it: the sign is one of the precision's digits, the
    // "0x" prefix is not; zero padding raises the precision to the width.
    const bool hex = !front.empty() && front != "-";
    const unsigned counted = static_cast<unsigned>(body.size() + (hex ? 0 : front.size()));
    precision = std::max(precision, counted);
    if (zeroPad) precision = std::max(precision, width);
    field = front + std::string(precision - counted, '0') + body;
    if (precision < width) {
      const std::string padding(width - precision, ' ');
      field = conv.leftAlign ? field + padding : padding + field;
    }
  } else {
    field = body;
    if (field.size() < width) {
      const std::string padding(width - field.size(), ' ');
      field = conv.leftAlign ? field + padding : padding + field;
    }
  }
  out += field;
  return true;
}

}  // namespace

extern "C" int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  if (!buffer) return 0;
  std::string out;
  if (format) {
    va_list args;
    va_start(args, format);
    for (const char* p = format; *p && out.size() < outputLimit;) {
      if (*p != '%') {
        out += *p++;
        continue;
      }
      ++p;
      if (*p == '%') {
        out += *p++;
        continue;
      }
      Conversion conv;
      p += parseConversion(p, conv);
      if (!conv.type) {  // a format cut short still gets its padding
        out.append(conv.width, ' ');
        break;
      }
      if (!formatOne(conv, args, out)) {
        if (conv.width > 0) out.append(conv.width, ' ');
        out += conv.type;
      }
    }
    va_end(args);
  }
  const size_t length = std::min(out.size(), outputLimit - 1);
  std::memcpy(buffer, out.data(), length);
  buffer[length] = '\0';
  return static_cast<int>(length);
}
