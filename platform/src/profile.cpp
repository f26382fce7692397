// GetPrivateProfileIntA, GetPrivateProfileStringA and
// WritePrivateProfileStringA over INI files, with kernel32's results.
//
// Each call reads the file afresh; a write that changes something rewrites
// the whole file through a temporary file of its own beside it, so a failed
// write never leaves half a file behind. Writers hold a lock on the folder
// from reading to renaming, so two processes saving different keys both
// keep theirs; a lock held elsewhere for longer than kLockWait fails the
// write as an unwritable file does. Nothing is written under /usr. Only
// regular files up to kLargestFile are read: a pipe or a device reads as a
// missing file (and is never replaced), a larger file as a damaged one.
#include <windows.h>

#include "ini_document.h"
#include "text_compare.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <string>

using namespace velmo_win32;

namespace {

constexpr off_t kLargestFile = 1 << 20;  // settings files are a few hundred bytes

// A writer holds the folder's lock for milliseconds; one that holds it for
// seconds is stuck, and the dialog's OK must not wait on it for ever.
constexpr auto kLockWait = std::chrono::seconds(3);
// After giving up, the following writes (a save is eleven of them) try once
// and do not each wait again.
constexpr auto kLockGiveUpMemory = std::chrono::seconds(10);

// A temporary file is the file's name, this mark and eight of these letters.
constexpr char kTemporaryMark[] = ".velmo-";
constexpr char kTemporaryAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kTemporaryLetters = 8;

std::mutex& profileMutex() {
  static std::mutex* mutex = new std::mutex;
  return *mutex;
}

enum class ReadResult { ok,
                        missing,
                        notRegular,
                        tooLarge,
                        failed };

ReadResult readFile(const char* path, std::string& bytes) {
  // Not blocking: opening a pipe that nobody writes must not wait.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ReadResult::missing : ReadResult::failed;
  struct stat st {};
  ReadResult result = ReadResult::ok;
  if (fstat(fd, &st) != 0) {
    result = ReadResult::failed;
  } else if (!S_ISREG(st.st_mode)) {
    result = ReadResult::notRegular;
  } else if (st.st_size > kLargestFile) {
    result = ReadResult::tooLarge;
  }
  char chunk[4096];
  while (result == ReadResult::ok) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) result = ReadResult::failed;
    if (n <= 0) break;
    bytes.append(chunk, static_cast<size_t>(n));
    if (bytes.size() > static_cast<size_t>(kLargestFile)) result = ReadResult::tooLarge;  // grew while read
  }
  close(fd);
  return result;
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A folder under /usr belongs to an installed package: a settings file that
// root wrote there would outlive the package's removal.
bool underUsr(const std::string& file) {
  char real[PATH_MAX];
  if (!realpath(folderOf(file).c_str(), real)) return false;
  return std::strcmp(real, "/usr") == 0 || std::strncmp(real, "/usr/", 5) == 0;
}

std::string nameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// An exclusive lock on the folder of a profile file, held from reading the
// file to renaming its replacement into place. The folder, not the file, is
// locked because the file is replaced (a lock on it would go with it) and may
// not exist yet. Without a lock (a folder that cannot be opened) the write
// goes on as before; a lock that another process keeps beyond kLockWait is
// not taken, and the write fails.
class FolderLock {
 public:
  explicit FolderLock(const std::string& file)
      : fd_(open(folderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ < 0) return;
    using Clock = std::chrono::steady_clock;
    static bool gaveUp = false;  // both under profileMutex
    static Clock::time_point gaveUpAt;
    const Clock::time_point start = Clock::now();
    const bool wait = !gaveUp || start - gaveUpAt >= kLockGiveUpMemory;
    while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) return;  // a folder that takes no lock
      if (!wait || Clock::now() - start >= kLockWait) {
        gaveUp = true;
        gaveUpAt = Clock::now();
        held_ = false;
        return;
      }
      const timespec pause{0, 20 * 1000 * 1000};
      nanosleep(&pause, nullptr);
    }
    locked_ = true;
  }
  ~FolderLock() {
    if (fd_ >= 0) close(fd_);  // releases the lock
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // False when another process kept the lock.
  bool held() const { return held_; }

  // Removes the temporary files of `file` that writers killed before their
  // rename left behind. Only with the lock: a live writer holds it as long as
  // its temporary file exists, so none is removed from under one.
  void removeStaleTemporaries(const std::string& file) const {
    if (!locked_) return;
    const int listing = dup(fd_);
    DIR* dir = listing >= 0 ? fdopendir(listing) : nullptr;
    if (!dir) {
      if (listing >= 0) close(listing);
      return;
    }
    const std::string prefix = nameOf(file) + kTemporaryMark;
    while (const dirent* entry = readdir(dir)) {
      const std::string_view name(entry->d_name);
      if (name.size() != prefix.size() + kTemporaryLetters || name.compare(0, prefix.size(), prefix) != 0) continue;
      const std::string_view letters = name.substr(prefix.size());
      if (letters.find_first_not_of(kTemporaryAlphabet) != std::string_view::npos) continue;
      struct stat st {};
      if (fstatat(fd_, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
        unlinkat(fd_, entry->d_name, 0);
      }
    }
    closedir(dir);
  }

 private:
  int fd_;
  bool locked_ = false;
  bool held_ = true;
};

// A new file beside `path`, created exclusively under a name no other writer
// uses; -1 when none can be made.
int createTemporary(const std::string& path, mode_t mode, std::string& temporary) {
  static thread_local std::mt19937 random(std::random_device{}());
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = path + kTemporaryMark;
    for (size_t i = 0; i < kTemporaryLetters; ++i) temporary += kTemporaryAlphabet[random() % (sizeof kTemporaryAlphabet - 1)];
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool writeFileReplacing(const std::string& path, const std::string& bytes) {
  struct stat existing {};
  const mode_t mode = stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
  std::string temporary;
  const int fd = createTemporary(path, mode, temporary);
  if (fd < 0) return false;
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  const bool complete = written == bytes.size() && fsync(fd) == 0;
  if (close(fd) != 0 || !complete || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  return true;
}

// lstrcpyn: at most size-1 bytes, always terminated when size > 0.
size_t copyTruncated(char* buffer, size_t size, std::string_view text) {
  if (size == 0) return 0;
  const size_t count = std::min(text.size(), size - 1);
  if (count > 0) std::memcpy(buffer, text.data(), count);  // an empty view may have no data at all
  buffer[count] = '\0';
  return count;
}

// A value in matching quotes loses them. As in kernel32, the closing quote is
// only recognised when the buffer holds the whole value.
size_t copyEntry(char* buffer, size_t size, std::string_view value) {
  char quote = 0;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    quote = value.front();
    value.remove_prefix(1);
  }
  size_t count = copyTruncated(buffer, size, value);
  if (quote && size >= value.size() && count > 0) buffer[--count] = '\0';
  return count;
}

// Every section name, each NUL-terminated, then one more NUL. When they do not
// fit, the last is cut and the result is size-2.
size_t listSections(const IniDocument& document, char* buffer, size_t size) {
  if (size == 0) return 0;
  if (size == 1) {
    buffer[0] = '\0';
    return 0;
  }
  size_t room = size - 1;
  char* out = buffer;
  for (const auto& section : document.sections) {
    if (section.name.empty()) continue;
    const size_t needed = section.name.size() + 1;
    if (needed >= room) {
      std::memcpy(out, section.name.data(), room - 1);
      out += room - 1;
      *out++ = '\0';
      *out = '\0';
      return size - 2;
    }
    std::memcpy(out, section.name.c_str(), needed);
    out += needed;
    room -= needed;
  }
  *out = '\0';
  return static_cast<size_t>(out - buffer);
}

// The names of a section's keys (lines with '='), in the same layout.
size_t listKeys(const IniDocument& document, std::string_view sectionName, char* buffer,
                size_t size) {
  for (const auto& section : document.sections) {
    if (!velmo_win32::equalsIgnoringCase(section.name, sectionName)) continue;
    size_t room = size;
    char* out = buffer;
    for (const auto& key : section.keys) {
      if (room <= 2) break;
      if (!key.value || (!key.name.empty() && key.name.front() == ';')) continue;
      const size_t copied = copyTruncated(out, room - 1, key.name);
      room -= copied + 1;
      out += copied + 1;
      if (room < 2) break;
    }
    *out = '\0';
    if (room <= 1) {
      if (out == buffer) return 0;  // a one-byte buffer holds only the terminator
      out[-1] = '\0';
      return size - 2;
    }
    return size - room;
  }
  buffer[0] = '\0';
  return 0;
}

std::string_view defaultWithoutTrailingSpaces(const char* defaultValue) {
  if (!defaultValue) return {};
  std::string_view text(defaultValue);
  // kernel32 keeps the first character even when it is a space.
  while (text.size() > 1 && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// kernel32's integer reading: leading white space, a sign, then decimal or
// "0x", "0o", "0b" digits, stopping at the first other character, with
// 32-bit wrap-around.
UINT parseProfileInt(const char* text) {
  const char* p = text;
  while (*p && static_cast<unsigned char>(*p) <= ' ') ++p;
  bool negative = false;
  if (*p == '+') {
    ++p;
  } else if (*p == '-') {
    negative = true;
    ++p;
  }
  unsigned base = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'o' || p[1] == 'b')) {
    base = p[1] == 'x' ? 16 : p[1] == 'o' ? 8
                                          : 2;
    p += 2;
  }
  uint32_t total = 0;
  for (;; ++p) {
    int digit = -1;
    if (*p >= '0' && *p <= '9')
      digit = *p - '0';
    else if (*p >= 'A' && *p <= 'Z')
      digit = *p - 'A' + 10;
    else if (*p >= 'a' && *p <= 'z')
      digit = *p - 'a' + 10;
    if (digit < 0 || static_cast<unsigned>(digit) >= base) break;
    total = total * base + static_cast<uint32_t>(digit);
  }
  return negative ? 0u - total : total;
}

}  // namespace

extern "C" DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue,
                                          LPSTR returned, DWORD size, LPCSTR fileName) {
  const std::string_view fallback = defaultWithoutTrailingSpaces(defaultValue);
  if (!returned || size == 0) return 0;
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    returned[0] = '\0';
    return 0;
  }
  std::string bytes;
  ReadResult read;
  {
    std::lock_guard<std::mutex> lock(profileMutex());
    read = readFile(fileName, bytes);
  }
  if (read != ReadResult::ok) {
    SetLastError(read == ReadResult::missing || read == ReadResult::notRegular ? ERROR_FILE_NOT_FOUND
                 : read == ReadResult::tooLarge                                ? ERROR_BAD_FORMAT
                                                                               : ERROR_ACCESS_DENIED);
    if (!section) {  // no file, no section names: an empty list
      returned[0] = '\0';
      if (size > 1) returned[1] = '\0';
      return 0;
    }
    if (!defaultValue) {
      returned[0] = '\0';
      return 0;
    }
    return static_cast<DWORD>(copyTruncated(returned, size, fallback));
  }
  const IniDocument document = parseIni(bytes);
  if (!section) return static_cast<DWORD>(listSections(document, returned, size));
  if (key) {
    const IniKey* found = findKey(document, section, key);
    return static_cast<DWORD>(copyEntry(returned, size, found && found->value ? *found->value : fallback));
  }
  size_t count = listKeys(document, section, returned, size);
  if (!returned[0]) count = copyEntry(returned, size, fallback);
  return static_cast<DWORD>(count);
}

extern "C" UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue,
                                      LPCSTR fileName) {
  char text[30];  // kernel32 reads the value into a buffer of this size
  if (GetPrivateProfileStringA(section, key, "", text, sizeof text, fileName) == 0) {
    return static_cast<UINT>(defaultValue);
  }
  return parseProfileInt(text);
}

extern "C" BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value,
                                           LPCSTR fileName) {
  if (!section && !key && !value) return FALSE;  // the "flush the cache" call: nothing cached
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!section) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  if (underUsr(fileName)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(profileMutex());
  const FolderLock folderLock(fileName);
  if (!folderLock.held()) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  std::string bytes;
  const ReadResult read = readFile(fileName, bytes);
  if (read != ReadResult::ok && read != ReadResult::missing) {
    SetLastError(read == ReadResult::tooLarge ? ERROR_BAD_FORMAT : ERROR_ACCESS_DENIED);
    return FALSE;
  }
  IniDocument document = parseIni(bytes);
  bool changed;
  if (!key) {
    changed = deleteSection(document, section);
  } else if (!value) {
    changed = deleteKey(document, section, key);
  } else {
    changed = setValue(document, section, key, value);
  }
  if (!changed) return TRUE;
  folderLock.removeStaleTemporaries(fileName);
  if (!writeFileReplacing(fileName, serializeIni(document))) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return TRUE;
}
