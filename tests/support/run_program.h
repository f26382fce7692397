// Runs a command line for the end-to-end tests: its exit status and output.
#pragma once
#include <string>

struct ProgramResult {
  int status = -1;     // exit status, or -1 when it did not exit normally
  std::string output;  // standard output and standard error together
};

// Runs `command` through the shell with a time limit in seconds.
ProgramResult runProgram(const std::string& command, int timeoutSeconds = 300);
bool toolAvailable(const char* name);
std::string shellQuote(const std::string& text);

#ifdef VELMO_SOURCE_DIR
// Shell words that run a command on an X server of its own (Xvfb, 800 x 600).
inline const std::string kOnOwnDisplay = "sh '" VELMO_SOURCE_DIR "/tests/support/on_own_display.sh' ";
#endif
