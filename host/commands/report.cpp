// Messages to the user on standard error.
#include "commands/report.h"

#include <cstdio>

namespace velmo {

void say(const std::string& message) { std::fprintf(stderr, "velmo: %s\n", message.c_str()); }

int fail(const std::string& message) {
  say(message);
  return 1;
}

void warn(const std::string& message) { say("warning: " + message); }

}  // namespace velmo
