// wsprintfA cases beyond those compared with Wine (see profile_test.cpp).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

// The play time's seconds: always two digits.
class SecondsText : public ::testing::TestWithParam<int> {};

TEST_P(SecondsText, TwoDigitsZeroPadded) {
  char text[16];
  const int seconds = GetParam();
  EXPECT_EQ(wsprintfA(text, "%#02i", seconds), 2);
  char expected[8];
  std::snprintf(expected, sizeof expected, "%02d", seconds);
  EXPECT_STREQ(text, expected);
}

INSTANTIATE_TEST_SUITE_P(AllSeconds, SecondsText, ::testing::Range(0, 60));

TEST(Wsprintf, TimeTextAsThePluginBuildsIt) {
  char minutes[16], seconds[16], text[32];
  wsprintfA(minutes, "%i", 83000 / 1000 / 60);
  wsprintfA(seconds, "%#02i", 83000 / 1000 % 60);
  EXPECT_EQ(wsprintfA(text, "[%s:%s]", minutes, seconds), 6);
  EXPECT_STREQ(text, "[1:23]");
  wsprintfA(minutes, "%i", 3725);
  EXPECT_STREQ(minutes, "3725");
}

// Output stops at 1023 characters and a NUL, whatever the arguments hold.
TEST(Wsprintf, OutputIsLimitedTo1024BytesWithTheNul) {
  const std::string longText(3000, 'x');
  std::string buffer(2048, '#');
  EXPECT_EQ(wsprintfA(buffer.data(), "%s%s", longText.c_str(), longText.c_str()), 1023);
  EXPECT_EQ(buffer[1023], '\0');
  EXPECT_EQ(buffer[1024], '#');
  EXPECT_EQ(std::string(buffer.c_str()), longText.substr(0, 1023));

  EXPECT_EQ(wsprintfA(buffer.data(), "%1500d", 5), 1023);
  EXPECT_EQ(buffer[1022], '5');
  EXPECT_EQ(buffer[1024], '#');
}

TEST(Wsprintf, MissingAndSpecialArguments) {
  char text[64];
  EXPECT_EQ(wsprintfA(text, "%s", static_cast<const char*>(nullptr)), 6);
  EXPECT_STREQ(text, "(null)");
  EXPECT_EQ(wsprintfA(text, "%d %i", INT32_MIN, INT32_MAX), 22);
  EXPECT_STREQ(text, "-2147483648 2147483647");
  EXPECT_EQ(wsprintfA(text, "%#02i|%#5d", -7, 42), 8) << "'#' only prefixes hexadecimal";
  EXPECT_STREQ(text, "-7|   42");
}

}  // namespace
