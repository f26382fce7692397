// Library messages: shown, or sent to /dev/null for the span of a call.
#include "audio/library_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace velmo {
namespace {

bool shown = false;

}  // namespace

void showLibraryMessages(bool show) { shown = show; }
bool libraryMessagesShown() { return shown; }

QuietLibrary::QuietLibrary() {
  if (shown) return;
  static const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (nowhere < 0) return;
  std::fflush(stderr);
  savedStderr_ = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
  if (savedStderr_ >= 0) dup2(nowhere, STDERR_FILENO);
}

QuietLibrary::~QuietLibrary() {
  if (savedStderr_ < 0) return;
  std::fflush(stderr);
  dup2(savedStderr_, STDERR_FILENO);
  close(savedStderr_);
}

}  // namespace velmo
