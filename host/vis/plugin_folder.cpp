// Finding the plug-in and giving each user a writable plug-in folder.
#include "vis/plugin_folder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace velmo {
namespace {

std::string folderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

bool endsWithIgnoringCase(const std::string& text, const char* suffix) {
  size_t length = std::strlen(suffix);
  return text.size() >= length && strcasecmp(text.c_str() + text.size() - length, suffix) == 0;
}

bool makeFolders(const std::string& path) {
  for (size_t at = 1; at <= path.size(); ++at) {
    if (at != path.size() && path[at] != '/') continue;
    std::string part = path.substr(0, at);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return true;
}

std::string userPluginFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data == '/') return std::string(data) + "/velmo/plugins";
  const char* home = std::getenv("HOME");
  if (!home || !*home) return "";
  return std::string(home) + "/.local/share/velmo/plugins";
}

// Points `link` at `target`, replacing an older link; a real file is kept.
bool linkTo(const std::string& target, const std::string& link) {
  char current[PATH_MAX];
  ssize_t length = readlink(link.c_str(), current, sizeof current - 1);
  if (length >= 0) {
    current[length] = 0;
    if (target == current) return true;
    unlink(link.c_str());
  } else if (exists(link)) {
    return true;  // the user's own copy
  }
  return symlink(target.c_str(), link.c_str()) == 0;
}

// An installation belongs to the package manager: written by root, its
// folder would outlive the package's removal.
bool underUsr(const std::string& folder) {
  char real[PATH_MAX];
  if (!realpath(folder.c_str(), real)) return false;
  return std::strcmp(real, "/usr") == 0 || std::strncmp(real, "/usr/", 5) == 0;
}

}  // namespace

std::string defaultPluginPath() {
  char self[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return "";
  self[length] = 0;
  std::string folder = folderOf(self);
  for (const std::string& candidate : {folder + "/" + kPluginFileName, folder + "/../lib/velmo/" + kPluginFileName}) {
    if (exists(candidate)) return candidate;
  }
  return "";
}

std::string userWritablePluginPath(const std::string& pluginPath, std::string* note) {
  const std::string folder = folderOf(pluginPath);
  if (!underUsr(folder) && access(folder.c_str(), W_OK) == 0) return pluginPath;
  std::string linked = linkPluginInto(pluginPath, userPluginFolder(), note);
  if (linked.empty()) {
    *note += "; settings will not be saved";
    return pluginPath;
  }
  return linked;
}

std::string linkPluginInto(const std::string& pluginPath, const std::string& folder, std::string* note) {
  if (folder.empty()) {
    *note = "no folder of your own for the plug-in (neither XDG_DATA_HOME nor HOME is set)";
    return "";
  }
  if (!makeFolders(folder)) {
    *note = "cannot create a plug-in folder of your own (" + folder + ": " + std::strerror(errno) + ")";
    return "";
  }
  char resolved[PATH_MAX];
  DIR* dir = realpath(folderOf(pluginPath).c_str(), resolved) ? opendir(resolved) : nullptr;
  if (!dir) {
    *note = "cannot read the plug-in's folder " + folderOf(pluginPath);
    return "";
  }
  std::string source = resolved;
  bool ok = true;
  // The plug-in and the files it reads beside itself (its textures).
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == nameOf(pluginPath) || endsWithIgnoringCase(name, ".3df")) {
      ok = linkTo(source + "/" + name, folder + "/" + name) && ok;
    }
  }
  closedir(dir);
  if (!ok) {
    *note = "cannot link the plug-in into " + folder;
    return "";
  }
  return folder + "/" + nameOf(pluginPath);
}

}  // namespace velmo
