// A temporary folder holding a loaded copy of a module, so that files the
// module keeps "beside itself" (plugin.ini, the trace) land where no other
// test looks.
#pragma once
#include <windows.h>

#include <filesystem>
#include <string>

#include "temp_folder.h"

namespace velmo_test {

class ModuleFolder {
 public:
  // The copy goes `subfolder` deep when given.
  explicit ModuleFolder(const std::string& modulePath, const std::string& subfolder = "")
      : dir_(subfolder.empty() ? root_.path() : root_.path(subfolder)) {
    std::filesystem::create_directories(dir_);
    const std::string copy = file(std::filesystem::path(modulePath).filename().string());
    std::filesystem::copy_file(modulePath, copy);
    module_ = LoadLibraryA(copy.c_str());
  }
  ~ModuleFolder() {
    if (module_) FreeLibrary(module_);
  }
  ModuleFolder(const ModuleFolder&) = delete;
  ModuleFolder& operator=(const ModuleFolder&) = delete;

  HINSTANCE module() const { return module_; }
  const std::string& dir() const { return dir_; }
  const std::string& root() const { return root_.path(); }
  std::string file(const std::string& name) const { return dir_ + "/" + name; }

 private:
  TempFolder root_;
  std::string dir_;
  HINSTANCE module_ = nullptr;
};

}  // namespace velmo_test
