// Output files under a temporary name, renamed into place when complete.
#include "output/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

namespace velmo {
namespace {

// The temporary files being written, for abandonPendingFiles(). A slot points
// at the characters of an AtomicFile's path, which stay put until the slot is
// cleared; a plain atomic pointer is all a signal handler may touch.
constexpr int kPendingSlots = 256;  // a PNG writer per processor, each with one file open
std::atomic<const char*> pendingPaths[kPendingSlots];

int holdPending(const char* path) {
  static const bool cleanAtExit = std::atexit(abandonPendingFiles) == 0;
  (void)cleanAtExit;
  for (int slot = 0; slot < kPendingSlots; ++slot) {
    const char* empty = nullptr;
    if (pendingPaths[slot].compare_exchange_strong(empty, path)) return slot;
  }
  return -1;  // more files at once than any job writes: only the clean-up misses this one
}

// False when a signal handler took the path (and removed the file) first.
bool releasePending(int slot) { return slot < 0 || pendingPaths[slot].exchange(nullptr) != nullptr; }

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// "song.velmo-Xy12ab.mp4" beside "song.mp4".
std::string temporaryName(const std::string& target) {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static thread_local std::mt19937 random(std::random_device{}());
  const size_t slash = target.find_last_of('/');
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  const size_t stemEnd = dot == std::string::npos || dot == 0 ? name.size() : dot;
  std::string unique = ".velmo-";
  for (int i = 0; i < 6; ++i) unique += kLetters[random() % (sizeof kLetters - 1)];
  return name.substr(0, stemEnd) + unique + name.substr(stemEnd);
}

}  // namespace

AtomicFile::~AtomicFile() { abandon(); }

bool AtomicFile::create(const std::string& target, std::string* error) {
  abandon();
  target_ = target;
  struct stat st;
  char resolved[PATH_MAX];
  if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && realpath(target.c_str(), resolved)) {
    target_ = resolved;
  }
  const bool exists = stat(target_.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    direct_ = true;
    path_ = target_;
    return true;
  }
  // A file the user may not write stays refused, as writing it in place was.
  if (exists && access(target_.c_str(), W_OK) != 0) {
    *error = target + ": " + std::strerror(errno);
    return false;
  }
  replacing_ = exists;
  mode_ = st.st_mode & 07777;
  const std::string folder = folderOf(target_) + "/";
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    path_ = folder + temporaryName(target_);
    fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    *error = target + ": " + std::strerror(errno);
    path_.clear();
    return false;
  }
  close(fd);
  pending_ = true;
  slot_ = holdPending(path_.c_str());
  return true;
}

bool AtomicFile::commit(std::string* error) {
  if (direct_) {
    direct_ = false;
    return true;
  }
  if (!pending_) {
    *error = target_ + ": nothing was written";
    return false;
  }
  // A file that takes another's place reaches the disk first, so that a crash
  // cannot leave an empty file where a good one was.
  int cause = 0;
  if (replacing_) {
    const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || fsync(fd) != 0 || chmod(path_.c_str(), mode_) != 0) cause = errno;
    if (fd >= 0) close(fd);
  }
  if (cause == 0 && rename(path_.c_str(), target_.c_str()) != 0) cause = errno;
  if (cause != 0) {
    *error = target_ + ": " + std::strerror(cause);
    abandon();
    return false;
  }
  releasePending(slot_);
  pending_ = false;
  slot_ = -1;
  return true;
}

void AtomicFile::abandon() {
  if (pending_ && releasePending(slot_)) unlink(path_.c_str());
  pending_ = false;
  direct_ = false;
  slot_ = -1;
}

void abandonPendingFiles() {
  for (std::atomic<const char*>& slot : pendingPaths) {
    if (const char* path = slot.exchange(nullptr)) unlink(path);
  }
}

}  // namespace velmo
