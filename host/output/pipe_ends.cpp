// Pipes opened non-blocking, waited on in steps a stop request can end.
#include "output/pipe_ends.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace velmo {
namespace {

constexpr int kLookMs = 50;

bool stopped(const std::atomic<bool>* stop) { return stop && stop->load(); }

int blocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const int cause = errno;
    close(fd);
    errno = cause;
    return -1;
  }
  return fd;
}

}  // namespace

bool isPipe(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

int openPipeEnd(const std::string& path, bool writing, const std::atomic<bool>* stop) {
  if (writing) {
    // Refused (ENXIO) while no reader is there.
    for (;;) {
      const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) return blocking(fd);
      if (errno != ENXIO) return -1;
      if (stopped(stop)) break;
      poll(nullptr, 0, kLookMs);
    }
  } else {
    // Opens at once; a writer shows as data, or as its end when it wrote nothing.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    pollfd ready{fd, POLLIN, 0};
    while (!stopped(stop)) {
      if (poll(&ready, 1, kLookMs) > 0) return blocking(fd);
    }
    close(fd);
  }
  errno = EINTR;
  return -1;
}

}  // namespace velmo
