// The [glide2x] section of glide2x.ini, parsed from its text, so the rules are
// the same (and tested) on every system; finding the file is per system.
#include "ini_settings.h"

#include <cctype>
#include <charconv>

namespace glide {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// A whole decimal number within [low, high], or false.
bool number(std::string_view text, int low, int high, int& out) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return false;
  out = value;
  return true;
}

bool flag(std::string_view text, bool& out) {
  for (const char* on : {"1", "on", "yes", "true"})
    if (sameName(text, on)) {
      out = true;
      return true;
    }
  for (const char* off : {"0", "off", "no", "false"})
    if (sameName(text, off)) {
      out = false;
      return true;
    }
  return false;
}

}  // namespace

void applyIniSetting(std::string_view key, std::string_view value, Settings& settings) {
  int n = 0;
  if (sameName(key, "Scale")) {
    if (sameName(value, "auto")) {
      settings.autoScale = true;
    } else if (number(value, 1, kMaxScale, n)) {
      settings.scale = n;
      settings.autoScale = false;
    }
  } else if (sameName(key, "Threads")) {
    if (number(value, 0, kMaxThreads, n)) settings.threads = n;
  } else if (sameName(key, "FullScreen")) {
    flag(value, settings.fullScreen);
  } else if (sameName(key, "Dither")) {
    flag(value, settings.dither);
  } else if (sameName(key, "Window")) {
    flag(value, settings.window);
  }
}

void applyIniSettings(std::string_view text, Settings& settings) {
  bool inSection = false;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    line = trim(line.substr(0, line.find_first_of(";#")));
    if (line.empty()) continue;
    if (line.front() == '[') {
      inSection = line.back() == ']' && sameName(trim(line.substr(1, line.size() - 2)), "glide2x");
      continue;
    }
    const size_t equals = line.find('=');
    if (!inSection || equals == std::string_view::npos) continue;
    applyIniSetting(trim(line.substr(0, equals)), trim(line.substr(equals + 1)), settings);
  }
}

}  // namespace glide
