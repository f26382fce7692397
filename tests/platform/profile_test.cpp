// Profile files beyond the comparison with Wine: failed writes, writers on
// several threads and in two processes, a writer stuck or killed, and files
// that are no settings file.
#include <gtest/gtest.h>
#include <windows.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>
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
  // An installation's folder, which root could write, here through a link.
  ASSERT_EQ(symlink("/usr/lib", file("lib").c_str()), 0);
  const std::string inInstallation = file("lib/velmo-profile-test.ini");
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", inInstallation.c_str())) << "under /usr";
  EXPECT_FALSE(fs::exists("/usr/lib/velmo-profile-test.ini"));
  fs::remove("/usr/lib/velmo-profile-test.ini");
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

// Two processes saving different keys of one file at once (two players, or
// the dialog in one and a render in another): every key of both lands, once,
// and no temporary file is left.
TEST_F(Profile, TwoProcessesWritingDifferentKeysBothKeepTheirs) {
  const std::string path = file("plugin.ini");
  constexpr int kKeys = 100;
  pid_t writers[2];
  for (int writer = 0; writer < 2; ++writer) {
    writers[writer] = fork();
    ASSERT_GE(writers[writer], 0);
    if (writers[writer] > 0) continue;
    bool saved = true;
    for (int i = 0; i < kKeys; ++i) {
      const std::string key = "Writer" + std::to_string(writer) + "Key" + std::to_string(i);
      saved = WritePrivateProfileStringA("Section", key.c_str(), std::to_string(i).c_str(), path.c_str()) && saved;
    }
    _exit(saved ? 0 : 1);
  }
  for (pid_t writer : writers) {
    int status = -1;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a write failed";
  }
  for (int writer = 0; writer < 2; ++writer) {
    for (int i = 0; i < kKeys; ++i) {
      const std::string key = "Writer" + std::to_string(writer) + "Key" + std::to_string(i);
      EXPECT_EQ(GetPrivateProfileIntA("Section", key.c_str(), -1, path.c_str()), static_cast<UINT>(i)) << key;
    }
  }
  std::istringstream lines(velmo_test::readFile(path));
  int count = 0;
  for (std::string line; std::getline(lines, line);) ++count;
  EXPECT_EQ(count, 1 + 2 * kKeys) << "the section line and each key once";
  EXPECT_EQ(std::distance(fs::directory_iterator(directory), fs::directory_iterator{}), 1);
}

// Another process keeps the folder's lock, its temporary file open: a write
// waits a few seconds, then fails as for an unwritable file, the next at once
// (a save is eleven writes); its file is left alone. Once it is killed
// outright, the next write removes that file, and no other.
TEST_F(Profile, AStuckWriterIsWaitedForBrieflyAndAKilledOneLeavesNothing) {
  const std::string path = file("plugin.ini");
  for (const char* other : {"notes.ini.velmo-abcd1234", "plugin.ini.velmo-abc"}) velmo_test::writeFile(file(other), "");
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t stuck = fork();
  ASSERT_GE(stuck, 0);
  if (stuck == 0) {
    alarm(60);  // ends it should the test end first
    if (flock(open(directory.c_str(), O_RDONLY), LOCK_EX) == 0 && velmo_test::writeFile(file("plugin.ini.velmo-live0001"), "") &&
        write(ready[1], "y", 1) == 1)
      pause();
    _exit(1);
  }
  close(ready[1]);
  char answer = 0;
  ASSERT_EQ(read(ready[0], &answer, 1), 1);
  alarm(30);  // a write that waits for ever ends the test here
  for (const double mostSeconds : {8.0, 1.0}) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(WritePrivateProfileStringA("Section", "Key", "1", path.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_LE(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), mostSeconds);
  }
  alarm(0);
  EXPECT_TRUE(fs::exists(file("plugin.ini.velmo-live0001"))) << "a live writer's file was removed";
  kill(stuck, SIGKILL);
  ASSERT_EQ(waitpid(stuck, nullptr, 0), stuck);
  EXPECT_TRUE(WritePrivateProfileStringA("Section", "Key", "1", path.c_str()));
  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(directory)) left.insert(entry.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"plugin.ini", "notes.ini.velmo-abcd1234", "plugin.ini.velmo-abc"}));
  close(ready[0]);
}

// A pipe, a device or a file far larger than any settings file in the place
// of plugin.ini: reading gives the defaults at once (a pipe would wait for
// ever, a device never ends; the alarm ends the test if so), and a write is
// refused rather than replacing what is there.
TEST_F(Profile, OddFilesReadAsDefaultsAndAreNeverReplaced) {
  const std::string path = file("plugin.ini");
  const std::pair<const char*, std::function<bool()>> oddFiles[] = {
      {"pipe", [&] { return mkfifo(path.c_str(), 0600) == 0; }},
      {"link to /dev/zero", [&] { return symlink("/dev/zero", path.c_str()) == 0; }},
      {"2 MB file", [&] { return velmo_test::writeFile(path, "[Section]\r\nKey=1\r\n" + std::string(2 << 20, ';')); }}};
  for (const auto& [name, make] : oddFiles) {
    fs::remove(path);
    ASSERT_TRUE(make()) << name;
    struct stat before {
    }, after{};
    ASSERT_EQ(lstat(path.c_str(), &before), 0);
    alarm(10);
    EXPECT_EQ(GetPrivateProfileIntA("Section", "Key", 7, path.c_str()), 7u) << name;
    EXPECT_FALSE(WritePrivateProfileStringA("Section", "Key", "1", path.c_str())) << name;
    alarm(0);
    ASSERT_EQ(lstat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << name;
    EXPECT_EQ(after.st_size, before.st_size) << name;
    EXPECT_EQ(std::distance(fs::directory_iterator(directory), fs::directory_iterator{}), 1) << name;
  }
}

}  // namespace
