// Minimal checks for the Win32 test programs (GoogleTest is not built for the
// cross target). Each CHECK prints its failure with file and line; the program
// ends with "N passed, N failed" and a non-zero exit status on any failure.
#pragma once
#include <cstdio>
#include <cstring>

namespace check {
inline int passed = 0;
inline int failed = 0;

inline void record(bool ok, const char* what, const char* file, int line) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    std::printf("FAILED %s:%d: %s\n", file, line, what);
    std::fflush(stdout);
  }
}

inline int finish() {
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
}  // namespace check

#define CHECK(cond) check::record((cond), #cond, __FILE__, __LINE__)
#define CHECK_EQ(a, b) check::record((a) == (b), #a " == " #b, __FILE__, __LINE__)
#define CHECK_STREQ(a, b) \
  check::record(std::strcmp((a), (b)) == 0, #a " equals " #b, __FILE__, __LINE__)
