// What the audio and video libraries print on their own ("[aac @ 0x...]",
// mpg123's "Note: Illegal Audio-MPEG-Header ...") is for developers: it
// reaches standard error only when --verbose asks for it.
#pragma once

namespace velmo {

void showLibraryMessages(bool shown);
bool libraryMessagesShown();

// While one lives, what is written to standard error goes nowhere, unless
// library messages are shown. For the span of a library call only: our own
// messages are never written inside one.
class QuietLibrary {
 public:
  QuietLibrary();
  ~QuietLibrary();
  QuietLibrary(const QuietLibrary&) = delete;
  QuietLibrary& operator=(const QuietLibrary&) = delete;

 private:
  int savedStderr_ = -1;
};

}  // namespace velmo
