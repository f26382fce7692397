// The profile functions and wsprintfA against the real thing: one scenario
// program, run natively on our layer and as a Win32 program under Wine, must
// print the same results and leave byte-identical INI files.
#include <gtest/gtest.h>
#include <windows.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct ScenarioRun {
  int status = -1;
  std::vector<std::string> lines;
  std::map<std::string, std::string> files;
};

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

fs::path freshDirectory(const std::string& name) {
  const fs::path directory = fs::temp_directory_path() /
                             ("velmo_platform_" + name + "_" + std::to_string(getpid()));
  fs::remove_all(directory);
  fs::create_directories(directory);
  return directory;
}

// Runs a command in a directory; keeps its standard output as lines (CR
// dropped: Wine's console writes CR LF) and every file it left.
ScenarioRun runIn(const fs::path& directory, const std::string& command) {
  ScenarioRun run;
  const std::string line = "cd '" + directory.string() + "' && " + command + " 2>/dev/null";
  FILE* pipe = popen(line.c_str(), "r");
  if (!pipe) return run;
  std::string output;
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, n);
  run.status = pclose(pipe);
  std::string current;
  for (char c : output) {
    if (c == '\r') continue;
    if (c == '\n') {
      run.lines.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) run.lines.push_back(current);
  for (const auto& entry : fs::directory_iterator(directory)) {
    run.files[entry.path().filename().string()] = readAll(entry.path());
  }
  return run;
}

std::string visible(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    if (c == '\r') text += "\\r";
    else if (c == '\n') text += "\\n\n";
    else if (c < 32 || c > 126) text += "\\x" + std::to_string(c);
    else text += static_cast<char>(c);
  }
  return text;
}

TEST(ProfileAgainstWine, SameResultsAndSameFiles) {
  const std::string win32Program = PLATFORM_SCENARIO_WIN32;
  if (win32Program.empty() || !fs::exists(win32Program)) {
    GTEST_SKIP() << "no mingw-w64 compiler or Wine: the Win32 scenario was not built";
  }
  const fs::path nativeDir = freshDirectory("native");
  const fs::path wineDir = freshDirectory("wine");
  const ScenarioRun native = runIn(nativeDir, std::string("'") + PLATFORM_SCENARIO_NATIVE + "'");
  const ScenarioRun wine = runIn(wineDir, std::string("WINEDEBUG=-all '") + PLATFORM_WINE + "' '" + win32Program + "'");
  ASSERT_EQ(native.status, 0);
  if (wine.status != 0 || wine.lines.empty()) {
    GTEST_SKIP() << "Wine could not run the scenario here (status " << wine.status << ")";
  }

  ASSERT_GT(native.lines.size(), 200u);
  const size_t common = std::min(native.lines.size(), wine.lines.size());
  for (size_t i = 0; i < common; ++i) {
    EXPECT_EQ(native.lines[i], wine.lines[i]) << "line " << i + 1 << " (ours, then Wine's)";
  }
  EXPECT_EQ(native.lines.size(), wine.lines.size());

  ASSERT_GE(wine.files.size(), 10u);
  ASSERT_EQ(native.files.size(), wine.files.size());
  for (const auto& [name, bytes] : wine.files) {
    auto ours = native.files.find(name);
    ASSERT_NE(ours, native.files.end()) << name << " is missing from our run";
    EXPECT_EQ(ours->second, bytes) << name << "\nours:\n" << visible(ours->second) << "\nWine:\n"
                                   << visible(bytes);
  }
  EXPECT_EQ(native.files.count("missing.ini"), 0u) << "deleting from a missing file creates nothing";
  fs::remove_all(nativeDir);
  fs::remove_all(wineDir);
}

class Profile : public ::testing::Test {
 protected:
  void SetUp() override { directory = freshDirectory("unit"); }
  void TearDown() override { fs::remove_all(directory); }
  std::string file(const char* name) { return (directory / name).string(); }
  fs::path directory;
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
