// Captions in UTF-8 and what the plug-in reads of them in Windows-1252:
// '?' for what the code page lacks; text that is no UTF-8 passes as it is.
// The player's caption test and the web page's (musl's iconv) share them.
#pragma once
#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace velmo {

struct AnsiCase {
  const char* name;
  std::string text;
  std::string windows1252;
};

inline void PrintTo(const AnsiCase& c, std::ostream* out) { *out << c.name; }

inline const AnsiCase kAnsiCases[] = {
    {"Latin", "1. Bj\xC3\xB6rk - J\xC3\xB3ga - Winamp", "1. Bj\xF6rk - J\xF3ga - Winamp"},
    {"EuroAndQuotes", "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D", "\x80 \x93x\x94"},
    {"NotInTheCodePage", "\xE6\x97\xA5\xE6\x9C\xAC - \xF0\x9F\x8E\xB5 - a", "?? - ? - a"},
    {"AlreadyEightBit", "Bj\xF6rk", "Bj\xF6rk"},
};

inline std::string ansiCaseName(const ::testing::TestParamInfo<AnsiCase>& info) { return info.param.name; }

}  // namespace velmo
