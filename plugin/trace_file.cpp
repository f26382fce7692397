// The trace file's place and its opening. The shared /tmp is never used: a
// name every user shares, opened for writing, would let one user's planted
// link make another's plug-in overwrite a file of theirs.
#include "plugin/trace_file.h"

#include <cstdlib>
#include <cstring>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

FILE* traceFile;

#if defined(_WIN32)

int traceFilePath(char* path, int pathSize) {
  return snprintf(path, pathSize, "c:\\coords.txt") < pathSize;
}

FILE* openTraceFile(const char* path) { return fopen(path, "w"); }

#else

// The variable's value when it names an absolute path, else null (relative
// values are to be ignored, as the XDG base directories say).
static const char* absoluteFolder(const char* variable) {
  const char* value = getenv(variable);
  return value != 0 && value[0] == '/' ? value : 0;
}

static int fits(int written, int pathSize) { return written >= 0 && written < pathSize; }

int traceFilePath(char* path, int pathSize) {
  path[0] = 0;
  const char* chosen = getenv("VELMO_TRACE_FILE");
  if (chosen != 0 && chosen[0] != 0) return fits(snprintf(path, pathSize, "%s", chosen), pathSize);
  const char* runtime = absoluteFolder("XDG_RUNTIME_DIR");
  if (runtime != 0) return fits(snprintf(path, pathSize, "%s/coords.txt", runtime), pathSize);

  const char* cache = absoluteFolder("XDG_CACHE_HOME");
  const char* home = absoluteFolder("HOME");
  int written;
  if (cache != 0)
    written = snprintf(path, pathSize, "%s", cache);
  else if (home != 0)
    written = snprintf(path, pathSize, "%s/.cache", home);
  else
    return 0;
  if (!fits(written + (int)sizeof "/velmo/coords.txt", pathSize)) {
    path[0] = 0;
    return 0;
  }
  mkdir(path, 0700);
  strcat(path, "/velmo");
  mkdir(path, 0700);
  strcat(path, "/coords.txt");
  return 1;
}

FILE* openTraceFile(const char* path) {
  // Not blocking: a named pipe in its place must not hold up the display.
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0) return 0;
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  // A file left by an earlier run keeps its mode otherwise.
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) fchmod(fd, 0600);
  FILE* file = fdopen(fd, "w");
  if (file == 0) close(fd);
  return file;
}

#endif
