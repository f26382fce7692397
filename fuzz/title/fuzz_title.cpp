// Arbitrary host captions through the same path visRender takes (the caption
// of a real window read with GetWindowTextA into a 130-byte title, then cut),
// and arbitrary play positions into the 12-byte time text. Both buffers are
// heap blocks of exactly their size, so a write past either is reported.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <windows.h>

#include "plugin/lifecycle.h"

namespace {

constexpr int titleSize = 130;  // songTitle
constexpr int timeSize = 12;    // timeText

[[noreturn]] void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "title/time property broken: %s [%s]\n", what, detail.c_str());
  std::abort();
}

HWND captionWindow() {
  static HWND window = [] {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "fuzz caption host";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "fuzz caption host", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                           nullptr, windowClass.hInstance, nullptr);
  }();
  return window;
}

void checkTitle(const std::string& caption) {
  // What GetWindowTextA can deliver: the text up to its first NUL, at most 129 bytes.
  const std::string visible = caption.substr(0, std::min(caption.find('\0'), size_t{titleSize - 1}));

  std::unique_ptr<char[]> title(new char[titleSize]);
  std::memset(title.get(), 'x', titleSize);
  HWND window = captionWindow();
  if (window && SetWindowTextA(window, caption.c_str())) {
    GetWindowTextA(window, title.get(), titleSize);
  } else {
    std::memcpy(title.get(), visible.c_str(), visible.size() + 1);
  }
  if (visible != title.get()) fail("caption not read as Win32 reads it", visible);

  cutSongTitle(title.get());
  const size_t length = strnlen(title.get(), titleSize);
  if (length == titleSize) fail("title lost its terminator", visible);
  if (visible.compare(0, length, title.get()) != 0) fail("title is not a prefix of the caption", visible);
  const size_t at = visible.find("Winamp");
  if (at != std::string::npos && at >= 2 && length != at - 2)
    fail("title not cut two characters before \"Winamp\"", visible);
}

void checkTime(int playMs) {
  std::unique_ptr<char[]> text(new char[timeSize]);
  std::memset(text.get(), 'x', timeSize);
  formatTimeText(playMs, text.get());
  const size_t length = strnlen(text.get(), timeSize);
  if (length >= timeSize) fail("time text overflows", std::to_string(playMs));
  if (playMs == -1) {
    if (std::strcmp(text.get(), "Stopped") != 0) fail("-1 is not \"Stopped\"", text.get());
  } else if (playMs >= 0) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "[%d:%02d]", playMs / 1000 / 60, playMs / 1000 % 60);
    if (std::strcmp(text.get(), expected) != 0)
      fail("time text", std::to_string(playMs) + " gave " + text.get() + ", expected " + expected);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: checkTime(INT_MIN); break;
    case 1: checkTime(INT_MAX); break;
    default: checkTime(in.ConsumeIntegral<int>()); break;
  }
  // Part of the caption may be a run of "Winamp"s or of high bytes, so long and
  // repeated cases come up without the fuzzer having to find them.
  std::string caption = in.ConsumeRandomLengthString(512);
  const int repeat = in.ConsumeIntegralInRange(0, 40);
  const std::string unit = in.ConsumeBool() ? "Winamp" : "\xff\x80 Winam";
  std::string tail;
  for (int i = 0; i < repeat; ++i) tail += unit;
  caption.insert(in.ConsumeIntegralInRange<size_t>(0, caption.size()), tail);
  checkTitle(caption);
  return 0;
}
