// PNG frames into a fresh folder, moved into their folder at the end.
#include "output/frame_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include "output/output_paths.h"

namespace velmo {
namespace {

// "frame" and six or more digits, ".png": the names frameName() gives.
bool isFrameName(const std::string& name, int64_t* index) {
  if (name.size() < 15 || name.compare(0, 5, "frame") != 0 || name.compare(name.size() - 4, 4, ".png") != 0) return false;
  const std::string digits = name.substr(5, name.size() - 9);
  if (digits.size() > 18 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
  *index = std::strtoll(digits.c_str(), nullptr, 10);
  return true;
}

std::vector<std::string> frameFiles(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    int64_t index;
    if (isFrameName(entry->d_name, &index)) names.push_back(entry->d_name);
  }
  closedir(dir);
  return names;
}

// Renames a folder unless something has the new name; false with errno.
bool renameFolder(const std::string& from, const std::string& to) {
  return renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

bool isFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string frameName(int64_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "frame%06lld.png", static_cast<long long>(index));
  return name;
}

bool holdsFrames(const std::string& folder) { return access((folder + "/" + frameName(0)).c_str(), F_OK) == 0; }

FrameFolder::~FrameFolder() { abandon(); }

bool FrameFolder::open(const std::string& target, std::string* error) {
  target_ = target;
  while (target_.size() > 1 && target_.back() == '/') target_.pop_back();
  const std::string why = notAFolder(target_);
  if (!why.empty()) {
    *error = target + ": " + why;
    return false;
  }
  std::string pattern = besideFolder(".velmo-XXXXXX");
  if (!mkdtemp(pattern.data())) {
    *error = target + ": cannot create the folder (" + std::strerror(errno) + ")";
    return false;
  }
  fresh_ = pattern;
  return true;
}

std::string FrameFolder::framePath(int64_t index) const { return fresh_ + "/" + frameName(index); }

bool FrameFolder::commit(std::string* error) {
  if (!isFolder(target_) && renameFolder(fresh_, target_)) {
    fresh_.clear();
    placedAt_ = target_ + "/";
    return true;
  }
  const std::vector<std::string> written = frameFiles(fresh_);
  if (!moveFramesIn(written, error)) return false;
  // The earlier render's frames past the last of this one; nothing else.
  const std::set<std::string> kept(written.begin(), written.end());
  for (const std::string& name : frameFiles(target_)) {
    if (!kept.count(name)) unlink((target_ + "/" + name).c_str());
  }
  return true;
}

bool FrameFolder::keepPartial(bool besideAlways, std::string* error) {
  if (!besideAlways && !holdsFrames(target_)) {
    if (!isFolder(target_) && renameFolder(fresh_, target_)) {
      fresh_.clear();
      placedAt_ = target_ + "/";
      return true;
    }
    if (isFolder(target_)) return moveFramesIn(frameFiles(fresh_), error);
  }
  for (int number = 1; number < 100; ++number) {
    const std::string partial = besideFolder(".partial" + (number > 1 ? "-" + std::to_string(number) : ""));
    if (renameFolder(fresh_, partial)) {
      fresh_.clear();
      placedAt_ = partial + "/";
      return true;
    }
    if (errno != EEXIST && errno != ENOTEMPTY) break;
  }
  *error = target_ + "/: the frames rendered are in " + fresh_ + "/ (" + std::strerror(errno) + ")";
  fresh_.clear();  // left for the user
  return false;
}

bool FrameFolder::moveFramesIn(const std::vector<std::string>& names, std::string* error) {
  if (!isFolder(target_) && mkdir(target_.c_str(), 0777) != 0) {
    *error = target_ + "/: cannot create the folder (" + std::strerror(errno) + ")";
    return false;
  }
  for (const std::string& name : names) {
    if (rename((fresh_ + "/" + name).c_str(), (target_ + "/" + name).c_str()) != 0) {
      *error = target_ + "/" + name + ": " + std::strerror(errno);
      return false;
    }
  }
  rmdir(fresh_.c_str());
  fresh_.clear();
  placedAt_ = target_ + "/";
  return true;
}

void FrameFolder::abandon() {
  if (fresh_.empty()) return;
  for (const std::string& name : frameFiles(fresh_)) unlink((fresh_ + "/" + name).c_str());
  rmdir(fresh_.c_str());
  fresh_.clear();
}

// The target's name with `tag` after it, cut to fit a folder entry.
std::string FrameFolder::besideFolder(const std::string& tag) const {
  const size_t slash = target_.find_last_of('/');
  const std::string name = target_.substr(slash == std::string::npos ? 0 : slash + 1);
  return folderPart(target_) + nameBeside(name, tag, false);
}

}  // namespace velmo
