// Temporary folders that clean up after themselves, and file helpers.
#include "temp_folder.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

namespace velmo_test {
namespace {

namespace fs = std::filesystem;

// Folders still there, with the process that made each.
std::vector<std::pair<pid_t, std::string>>& liveFolders() {
  static auto* folders = new std::vector<std::pair<pid_t, std::string>>;
  return *folders;
}

void removeLeftovers() {
  for (const auto& [owner, path] : liveFolders()) {
    std::error_code ignored;
    if (owner == getpid()) fs::remove_all(path, ignored);
  }
}

void forget(const std::string& path) {
  auto& folders = liveFolders();
  folders.erase(std::remove_if(folders.begin(), folders.end(), [&](const auto& f) { return f.second == path; }),
                folders.end());
}

}  // namespace

TempFolder::TempFolder(const std::string& prefix) {
  std::string pattern = (fs::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder " + pattern);
  path_ = pattern;
  static const bool atExit = std::atexit(removeLeftovers) == 0;
  (void)atExit;
  liveFolders().emplace_back(getpid(), path_);
}

TempFolder::~TempFolder() {
  if (kept_) return;
  forget(path_);
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void TempFolder::keep() {
  forget(path_);
  kept_ = true;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

}  // namespace velmo_test
