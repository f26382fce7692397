// Private temporary folders, and whole-file reads and writes, for the tests.
#pragma once
#include <string>

namespace velmo_test {

// A folder of its own under the system's temporary folder, removed with
// everything in it when the object goes, or at exit when the process that
// made it ends without running destructors (the plug-in ends its host on
// some faults). A forked child never removes its parent's folders.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "velmo");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string path(const std::string& name) const { return path_ + "/" + name; }
  // Leaves the folder in place for a person to look into (after a failure).
  void keep();

 private:
  std::string path_;
  bool kept_ = false;
};

// The whole file, or "<missing>" when it cannot be read.
std::string readFile(const std::string& path);
// Replaces the file's contents; false when it cannot be written.
bool writeFile(const std::string& path, const std::string& bytes);

}  // namespace velmo_test
