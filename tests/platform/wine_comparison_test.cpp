// Our layer against the real thing: each scenario program, run natively on
// our layer and as a Win32 program under Wine, must print the same results;
// the profile scenario must also leave byte-identical INI files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "run_program.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

struct ScenarioRun {
  int status = -1;
  std::vector<std::string> lines;
  std::map<std::string, std::string> files;
};

// Runs a command in a directory; keeps its standard output as lines (CR
// dropped: Wine's console writes CR LF) and every file it left.
ScenarioRun runIn(const fs::path& directory, const std::string& command) {
  ScenarioRun run;
  const ProgramResult result = runProgram("cd '" + directory.string() + "' && " + command + " 2>/dev/null", 600);
  run.status = result.status;
  std::string current;
  for (char c : result.output) {
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
    run.files[entry.path().filename().string()] = velmo_test::readFile(entry.path().string());
  }
  return run;
}

std::string visible(const std::string& bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    if (c == '\r')
      text += "\\r";
    else if (c == '\n')
      text += "\\n\n";
    else if (c < 32 || c > 126)
      text += "\\x" + std::to_string(c);
    else
      text += static_cast<char>(c);
  }
  return text;
}

struct Runs {
  ScenarioRun native;
  ScenarioRun wine;
  velmo_test::TempFolder nativeDir{"velmo-platform-native"};
  velmo_test::TempFolder wineDir{"velmo-platform-wine"};
};

// Runs one scenario both ways in fresh folders; false (with the reason) when
// the Win32 side cannot run here.
bool runBoth(const std::string& name, const std::string& nativeProgram, const std::string& win32Program,
             const std::string& wineLauncher, Runs& runs, std::string& why) {
  if (win32Program.empty() || !fs::exists(win32Program)) {
    why = "no mingw-w64 compiler or Wine: the Win32 scenario was not built";
    return false;
  }
  runs.native = runIn(runs.nativeDir.path(), "'" + nativeProgram + "'");
  runs.wine = runIn(runs.wineDir.path(), "WINEDEBUG=-all WINEPREFIX='" + std::string(PLATFORM_WINE_PREFIX) +
                                             "_" + name + "' " + wineLauncher + "'" + PLATFORM_WINE + "' '" +
                                             win32Program + "'");
  if (runs.wine.status != 0 || runs.wine.lines.empty()) {
    why = "Wine could not run the scenario here (status " + std::to_string(runs.wine.status) + ")";
    return false;
  }
  return true;
}

void expectSameLines(const ScenarioRun& native, const ScenarioRun& wine) {
  const size_t common = std::min(native.lines.size(), wine.lines.size());
  for (size_t i = 0; i < common; ++i) {
    EXPECT_EQ(native.lines[i], wine.lines[i]) << "line " << i + 1 << " (ours, then Wine's)";
  }
  EXPECT_EQ(native.lines.size(), wine.lines.size());
}

TEST(ProfileAgainstWine, SameResultsAndSameFiles) {
  Runs runs;
  std::string why;
  if (!runBoth("profile", PLATFORM_PROFILE_NATIVE, PLATFORM_PROFILE_WIN32, "", runs, why)) {
    GTEST_SKIP() << why;
  }
  const ScenarioRun& native = runs.native;
  const ScenarioRun& wine = runs.wine;
  ASSERT_EQ(native.status, 0);
  ASSERT_GT(native.lines.size(), 200u);
  expectSameLines(native, wine);

  ASSERT_GE(wine.files.size(), 10u);
  ASSERT_EQ(native.files.size(), wine.files.size());
  for (const auto& [name, bytes] : wine.files) {
    auto ours = native.files.find(name);
    ASSERT_NE(ours, native.files.end()) << name << " is missing from our run";
    EXPECT_EQ(ours->second, bytes) << name << "\nours:\n"
                                   << visible(ours->second) << "\nWine:\n"
                                   << visible(bytes);
  }
  EXPECT_EQ(native.files.count("missing.ini"), 0u) << "deleting from a missing file creates nothing";
}

// Windows need a display under Wine: the scenario runs on a virtual one. Each
// scenario has a Wine prefix of its own, so its desktop is never one that
// another Wine process started on another (perhaps vanished) display.
TEST(WindowsAgainstWine, SameMessagesAndResults) {
  if (std::system("command -v Xvfb >/dev/null") != 0) GTEST_SKIP() << "needs Xvfb";
  const std::string launcher = kOnOwnDisplay;
  Runs runs;
  std::string why;
  if (!runBoth("windows", PLATFORM_WINDOW_NATIVE, PLATFORM_WINDOW_WIN32, launcher, runs, why)) {
    GTEST_SKIP() << why;
  }
  ASSERT_EQ(runs.native.status, 0);
  ASSERT_GT(runs.native.lines.size(), 80u);
  expectSameLines(runs.native, runs.wine);
}

}  // namespace
