// Running commands for the end-to-end tests.
#include "run_program.h"

#include <sys/wait.h>

#include <cstdio>

ProgramResult runProgram(const std::string& command, int timeoutSeconds) {
  ProgramResult result;
  std::string line = "timeout -k 5 " + std::to_string(timeoutSeconds) + " sh -c " + shellQuote(command) + " 2>&1";
  FILE* pipe = popen(line.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, got);
  int status = pclose(pipe);
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}

bool toolAvailable(const char* name) {
  return runProgram(std::string("which ") + name + " >/dev/null", 10).status == 0;
}

std::string shellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}
