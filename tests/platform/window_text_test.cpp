// Window captions: GetWindowTextA's bounds, and how it reaches the caption on
// the window's own thread (WM_GETTEXT) and from another thread (stored text).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <thread>

#include "window_log.h"

using namespace platform_test;

namespace {

struct TextCase {
  const char* name;
  std::string caption;
  int bufferSize;
};

std::string longCaption(size_t length) {
  std::string text;
  for (size_t i = 0; text.size() < length; ++i) text += static_cast<char>('a' + i % 26);
  return text;
}

class GetWindowTextBounds : public ::testing::TestWithParam<TextCase> {};

// At most size-1 bytes, always terminated, nothing written past the buffer;
// a size of 0 or less writes nothing.
TEST_P(GetWindowTextBounds, CopiesAtMostSizeMinusOneAndTerminates) {
  const TextCase& param = GetParam();
  HWND window = createLogged(param.caption.c_str(), WS_POPUP, nullptr);
  ASSERT_NE(window, nullptr);
  std::vector<char> buffer(static_cast<size_t>(std::max(param.bufferSize, 0)) + 8, '#');

  const int copied = GetWindowTextA(window, buffer.data(), param.bufferSize);

  const int expected = param.bufferSize <= 0
                           ? 0
                           : std::min<int>(static_cast<int>(param.caption.size()), param.bufferSize - 1);
  EXPECT_EQ(copied, expected);
  if (param.bufferSize > 0) {
    EXPECT_EQ(std::string(buffer.data(), static_cast<size_t>(copied)), param.caption.substr(0, expected));
    EXPECT_EQ(buffer[static_cast<size_t>(copied)], '\0');
  }
  const size_t untouchedFrom = param.bufferSize > 0 ? static_cast<size_t>(param.bufferSize) : 0;
  for (size_t i = untouchedFrom; i < buffer.size(); ++i) {
    ASSERT_EQ(buffer[i], '#') << "byte " << i << " lies outside the buffer";
  }
  EXPECT_EQ(GetWindowTextLengthA(window), static_cast<int>(param.caption.size()));
  DestroyWindow(window);
}

INSTANTIATE_TEST_SUITE_P(
    Captions, GetWindowTextBounds,
    ::testing::Values(TextCase{"fits", "3. Artist - Song - Winamp", 130},
                      TextCase{"exactFit", "12345", 6}, TextCase{"oneShort", "12345", 5},
                      TextCase{"sizeOne", "12345", 1}, TextCase{"sizeZero", "12345", 0},
                      TextCase{"negative", "12345", -5}, TextCase{"empty", "", 10},
                      TextCase{"longCaption", longCaption(300), 130},
                      TextCase{"bytesAbove127", "1. Bj\xF6rk - J\xF3ga \xA9\xFF - Winamp", 130}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WindowText, OwnThreadAsksTheProcedureOtherThreadsReadTheStoredCaption) {
  clearLog();
  HWND window = createLogged("stored caption", WS_POPUP, nullptr);
  answerWith(WM_GETTEXT, [](HWND, WPARAM size, LPARAM buffer) {
    const char answer[] = "from the procedure";
    const size_t count = std::min<size_t>(sizeof answer - 1, size - 1);
    std::memcpy(reinterpret_cast<char*>(buffer), answer, count);
    reinterpret_cast<char*>(buffer)[count] = '\0';
    return static_cast<LRESULT>(count);
  });
  char text[64];
  EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 18);
  EXPECT_STREQ(text, "from the procedure");

  // The window's thread is busy in this test; another thread still gets the
  // caption without waiting for it.
  std::string fromOtherThread;
  std::thread([&] {
    char buffer[64];
    GetWindowTextA(window, buffer, sizeof buffer);
    fromOtherThread = buffer;
  }).join();
  EXPECT_EQ(fromOtherThread, "stored caption");

  clearLog();
  EXPECT_TRUE(SetWindowTextA(window, "1. New - Title - Winamp"));
  EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 23);
  EXPECT_STREQ(text, "1. New - Title - Winamp");
  EXPECT_TRUE(SetWindowTextA(window, nullptr));
  EXPECT_EQ(GetWindowTextLengthA(window), 0);
  DestroyWindow(window);
}

}  // namespace
