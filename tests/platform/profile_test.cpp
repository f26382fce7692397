// Profile files beyond the comparison with Wine: failed writes and writers
// on several threads.
#include <gtest/gtest.h>
#include <windows.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

class Profile : public ::testing::Test {
 protected:
  std::string file(const char* name) { return folder.path(name); }
  velmo_test::TempFolder folder{"velmo-profile"};
  const fs::path directory{folder.path()};
};

TEST_F(Profile, AFailedWriteReportsFailureAndLeavesNoFile) {
  const std::string inMissingFolder = (directory / "no" / "such" / "plugin.ini").string();
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", inMissingFolder.c_str()));
  EXPECT_FALSE(fs::exists(inMissingFolder));
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", nullptr));
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", directory.c_str())) << "a folder is no file";
  char buffer[16];
  EXPECT_EQ(GetPrivateProfileStringA("S", "k", "dflt", buffer, sizeof buffer, directory.c_str()), 4u);
  EXPECT_STREQ(buffer, "dflt");
  EXPECT_EQ(GetPrivateProfileIntA("S", "k", -5, directory.c_str()), static_cast<UINT>(-5));
}

// Writers on several threads each keep their own key; no update is lost and
// no temporary file is left behind.
TEST_F(Profile, ConcurrentWritersLoseNothing) {
  const std::string path = file("plugin.ini");
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([&path, t] {
      const std::string key = "Key" + std::to_string(t);
      for (int i = 0; i < 25; ++i) {
        WritePrivateProfileStringA("Section", key.c_str(), std::to_string(i).c_str(), path.c_str());
      }
    });
  }
  for (auto& writer : writers) writer.join();
  for (int t = 0; t < 4; ++t) {
    const std::string key = "Key" + std::to_string(t);
    EXPECT_EQ(GetPrivateProfileIntA("Section", key.c_str(), -1, path.c_str()), 24u);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(directory), fs::directory_iterator{}), 1);
}

}  // namespace
