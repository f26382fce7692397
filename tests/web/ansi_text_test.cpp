// The caption's conversion to Windows-1252 with the web page's C library,
// musl, whose iconv marks what the code page lacks otherwise than glibc's:
// the cases of the player's caption test.
#include <gtest/gtest.h>

#include "ansi_cases.h"
#include "vis/ansi_text.h"

namespace velmo {
namespace {

class PageCaption : public ::testing::TestWithParam<AnsiCase> {};

TEST_P(PageCaption, IsWindows1252) { EXPECT_EQ(toWindows1252(GetParam().text), GetParam().windows1252); }

INSTANTIATE_TEST_SUITE_P(Tags, PageCaption, ::testing::ValuesIn(kAnsiCases), ansiCaseName);

}  // namespace
}  // namespace velmo
