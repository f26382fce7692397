// Output files under a temporary name, renamed into place when complete.
#include "output/atomic_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

#include "output/output_paths.h"

namespace velmo {
namespace {

// The temporary files being written, for abandonPendingFiles(). A slot points
// at an AtomicFile's Pending, which stays put until the slot is cleared; a
// plain atomic pointer is all a signal handler may touch.
constexpr int kPendingSlots = 256;  // a PNG writer per processor, each with one file open
std::atomic<const AtomicFile::Pending*> pendingFiles[kPendingSlots];

int holdPending(const AtomicFile::Pending* file) {
  static const bool cleanAtExit = std::atexit(abandonPendingFiles) == 0;
  (void)cleanAtExit;
  for (int slot = 0; slot < kPendingSlots; ++slot) {
    const AtomicFile::Pending* empty = nullptr;
    if (pendingFiles[slot].compare_exchange_strong(empty, file)) return slot;
  }
  return -1;  // more files at once than any job writes: only the clean-up misses this one
}

// False when a signal handler took the file (and removed it) first.
bool releasePending(int slot) { return slot < 0 || pendingFiles[slot].exchange(nullptr) != nullptr; }

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// ".velmo-Xy12ab", which makes "song.velmo-Xy12ab.mp4" beside "song.mp4".
std::string temporaryTag() {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static thread_local std::mt19937 random(std::random_device{}());
  std::string tag = ".velmo-";
  for (int i = 0; i < 6; ++i) tag += kLetters[random() % (sizeof kLetters - 1)];
  return tag;
}

// Renames `from` to `to` within `folder` unless a file has that name: 0, or
// the errno (EEXIST when one has).
int renameWithoutReplacing(int folder, const std::string& from, const std::string& to) {
  if (renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system without it: a hard link is refused on a taken name too.
  if (linkat(folder, from.c_str(), folder, to.c_str(), 0) != 0) return errno;
  unlinkat(folder, from.c_str(), 0);
  return 0;
}

}  // namespace

AtomicFile::~AtomicFile() { abandon(); }

bool AtomicFile::create(const std::string& target, std::string* error) {
  abandon();
  given_ = target;
  target_ = throughLinks(target);
  placedAt_.clear();
  struct stat st;
  const bool exists = stat(target_.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    direct_ = true;
    path_ = target_;
    placedAt_ = given_;
    return true;
  }
  // A file the user may not write stays refused, as writing it in place was.
  if (exists && access(target_.c_str(), W_OK) != 0) {
    *error = target + ": " + std::strerror(errno);
    return false;
  }
  replacing_ = exists;
  mode_ = exists ? st.st_mode & 07777 : 0;
  const std::string folder = folderOf(target_);
  pending_.folder = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0 && pending_.folder >= 0; ++attempt) {
    pending_.name = nameBeside(baseName(target_), temporaryTag());
    fd = openat(pending_.folder, pending_.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    *error = target + ": " + std::strerror(errno);
    release();
    return false;
  }
  close(fd);
  path_ = folder + "/" + pending_.name;
  isPending_ = true;
  slot_ = holdPending(&pending_);
  return true;
}

bool AtomicFile::commit(bool replace, std::string* error) {
  if (direct_) {
    direct_ = false;
    return true;
  }
  if (!isPending_) {
    *error = target_ + ": nothing was written";
    return false;
  }
  // A file that takes another's place reaches the disk first, so that a crash
  // cannot leave an empty file where a good one was.
  if (replacing_) {
    const int fd = openat(pending_.folder, pending_.name.c_str(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && fsync(fd) == 0 && fchmod(fd, mode_) == 0;
    const int cause = errno;
    if (fd >= 0) close(fd);
    if (!synced) {
      *error = target_ + ": " + std::strerror(cause);
      abandon();
      return false;
    }
  }
  if (!place(true, ".new", replace, error)) {
    abandon();
    return false;
  }
  return true;
}

bool AtomicFile::keepPartial(bool besideAlways, std::string* error) {
  if (direct_) {
    direct_ = false;
    return true;
  }
  if (!isPending_) {
    *error = target_ + ": nothing was written";
    return false;
  }
  return place(!besideAlways && !replacing_, ".partial", false, error);
}

// Into the target's place (`inPlace`) or, when that is taken and `replace` is
// not given, beside it under `tag`: "song.partial.mp4", "song.partial-2.mp4".
bool AtomicFile::place(bool inPlace, const std::string& tag, bool replace, std::string* error) {
  // Moved away, the folder is no longer where the user will look.
  struct stat held, named;
  if (fstat(pending_.folder, &held) != 0 || stat(folderOf(target_).c_str(), &named) != 0 ||
      held.st_dev != named.st_dev || held.st_ino != named.st_ino) {
    *error = given_ + ": its folder was moved or removed during the render";
    return false;
  }
  const std::string targetName = baseName(target_);
  std::string placed = targetName;
  int cause = EEXIST;
  if (inPlace && replace) {
    cause = renameat(pending_.folder, pending_.name.c_str(), pending_.folder, targetName.c_str()) == 0 ? 0 : errno;
  } else if (inPlace) {
    cause = renameWithoutReplacing(pending_.folder, pending_.name, targetName);
  }
  for (int number = 1; cause == EEXIST && number < 100; ++number) {
    placed = nameBeside(targetName, tag + (number > 1 ? "-" + std::to_string(number) : ""));
    cause = renameWithoutReplacing(pending_.folder, pending_.name, placed);
  }
  if (cause != 0) {
    *error = given_ + ": " + std::strerror(cause);
    return false;
  }
  placedAt_ = placed == targetName ? given_ : folderPart(target_) + placed;
  release();
  return true;
}

void AtomicFile::abandon() {
  if (isPending_ && releasePending(slot_)) unlinkat(pending_.folder, pending_.name.c_str(), 0);
  isPending_ = false;
  release();
  direct_ = false;
}

void AtomicFile::release() {
  if (isPending_) releasePending(slot_);
  if (pending_.folder >= 0) close(pending_.folder);
  pending_.folder = -1;
  isPending_ = false;
  slot_ = -1;
}

void abandonPendingFiles() {
  for (std::atomic<const AtomicFile::Pending*>& slot : pendingFiles) {
    if (const AtomicFile::Pending* file = slot.exchange(nullptr)) unlinkat(file->folder, file->name.c_str(), 0);
  }
}

}  // namespace velmo
