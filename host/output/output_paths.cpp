// Output names: links followed, names beside a target, names described.
#include "output/output_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace velmo {
namespace {

// Longest name of a folder entry on the file systems we write to.
constexpr size_t kNameMax = 255;

std::string withoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

std::string throughLinks(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st;
    if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    char target[4096];
    const ssize_t length = readlink(current.c_str(), target, sizeof target - 1);
    if (length <= 0) return path;
    const std::string next(target, static_cast<size_t>(length));
    current = next[0] == '/' ? next : folderPart(current) + next;
  }
  return path;
}

std::string nameBeside(const std::string& name, const std::string& tag, bool beforeExtension) {
  const size_t dot = name.find_last_of('.');
  const size_t stemEnd = dot == std::string::npos || dot == 0 || !beforeExtension ? name.size() : dot;
  std::string stem = name.substr(0, stemEnd);
  std::string extension = name.substr(stemEnd);
  if (tag.size() + extension.size() > kNameMax) extension.clear();
  if (stem.size() + tag.size() + extension.size() > kNameMax) {
    // Cut where a character starts, never inside a UTF-8 sequence.
    size_t end = kNameMax - tag.size() - extension.size();
    while (end > 0 && (static_cast<unsigned char>(stem[end]) & 0xC0) == 0x80) --end;
    stem.resize(end);
  }
  return stem + tag + extension;
}

std::string folderPart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string notAFolder(const std::string& path) {
  const std::string name = withoutTrailingSlashes(path);
  struct stat st;
  if (lstat(name.c_str(), &st) != 0) return "";
  if (S_ISLNK(st.st_mode)) {
    const std::string end = throughLinks(name);
    if (stat(end.c_str(), &st) != 0) return "is a link to " + end + ", which does not exist";
  }
  if (S_ISDIR(st.st_mode)) return "";
  if (S_ISREG(st.st_mode)) return "is a file, not a folder";
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return "is a device, not a folder";
  if (S_ISFIFO(st.st_mode)) return "is a pipe, not a folder";
  return "is no folder";
}

std::string shownName(const std::string& name) {
  bool plain = name.find(", ") == std::string::npos && !name.empty();
  for (char c : name) plain = plain && static_cast<unsigned char>(c) >= 0x20 && c != 0x7F && c != '"' && c != '\\';
  if (plain) return name;
  std::string shown = "\"";
  for (char c : name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      shown += '\\';
      shown += c;
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      shown += escaped;
    } else {
      shown += c;
    }
  }
  return shown + "\"";
}

}  // namespace velmo
