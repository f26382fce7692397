// The option store: the eleven flags against "plugin.ini" beside the module,
// through the POSIX profile functions.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "plugin/vis.h"
#include "settings/settings.h"
#include "plugin_folder.h"

namespace {

using namespace plugintest;

const char kSection[] = "[Velmo's 3DFX Spectrum Analyzer]";

struct Settings : ::testing::Test {
  std::unique_ptr<PluginFolder> folder;
  VisModule module{};

  void SetUp() override {
    if (!fs::exists(fs::path(VELMO_OUTPUT_DIR) / "vis_velmo.so")) GTEST_SKIP() << "plug-in not built";
    folder = std::make_unique<PluginFolder>(false);
    module.description = pluginModule.description;
    module.dllInstance = folder->module();
    ASSERT_NE(module.dllInstance, nullptr);
    setAll(1);
  }
  static void setAll(unsigned char value) {
    for (const SettingsOption& option : settingsOptions) *option.flag = value;
  }
  static unsigned pattern() {
    unsigned bits = 0;
    for (int i = 0; i < SETTINGS_COUNT; i++) bits |= (unsigned)(*settingsOptions[i].flag != 0) << i;
    return bits;
  }
  std::string ini() const { return folder->file("plugin.ini"); }
  // Non-blank lines, line ends dropped.
  std::vector<std::string> iniLines() const {
    std::vector<std::string> lines;
    std::istringstream text(readFile(ini()));
    for (std::string line; std::getline(text, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) lines.push_back(line);
    }
    return lines;
  }
};

TEST_F(Settings, MissingFileLeavesFlagsAndCreatesNothing) {
  RotateY = 0;
  PointedEnds = 0;
  loadSettings(&module);
  EXPECT_EQ(pattern(), 0x7ffu & ~(1u << 1) & ~(1u << 10));
  EXPECT_FALSE(fs::exists(ini()));
}

TEST_F(Settings, OneKeyChangesOnlyItsFlag) {
  writeFile(ini(), std::string(kSection) + "\nDisplayTime=0\n[Other]\nRotateX=0\n");
  loadSettings(&module);
  EXPECT_EQ(DisplayTime, 0);
  EXPECT_EQ(pattern(), 0x7ffu & ~(1u << 7));
}

TEST_F(Settings, AnyNonZeroValueTurnsAFlagOnAndIsWrittenBackAsOne) {
  writeFile(ini(), std::string(kSection) + "\nPointedEnds=7\nReflect=-1\nSpinToBeat=0\n");
  setAll(0);
  loadSettings(&module);
  EXPECT_EQ(PointedEnds, 1);
  EXPECT_EQ(Reflect, 1);
  EXPECT_EQ(SpinToBeat, 0);
  saveSettings(&module);
  char value[8];
  GetPrivateProfileStringA(module.description, "PointedEnds", "", value, sizeof value, ini().c_str());
  EXPECT_STREQ(value, "1");
}

TEST_F(Settings, FreshSectionListsKeysInWriteOrder) {
  DisplayPlatform = 0;
  Reflect = 1;
  saveSettings(&module);
  std::vector<std::string> expected = {kSection, "RotateX=1", "RotateY=1",
                                       "RotateZ=1", "DisplayBackSpec=1", "SpinToBeat=1",
                                       "DisplayPlatform=0", "Reflect=1", "DisplayTime=1",
                                       "DisplaySong=1", "RotateLogo=1", "PointedEnds=1"};
  EXPECT_EQ(iniLines(), expected);
}

TEST_F(Settings, SaveThenLoadGivesTheSameFlags) {
  for (unsigned bits = 0; bits < 2048; bits += 73) {
    for (int i = 0; i < SETTINGS_COUNT; i++) *settingsOptions[i].flag = (bits >> i) & 1;
    saveSettings(&module);
    for (const std::string& line : iniLines()) {
      if (line == kSection) continue;
      EXPECT_TRUE(line.back() == '0' || line.back() == '1') << line;
    }
    setAll((bits & 1) ? 0 : 1);
    loadSettings(&module);
    EXPECT_EQ(pattern(), bits);
  }
}

TEST_F(Settings, OtherSectionsSurviveASave) {
  writeFile(ini(), "[Other Plugin]\nkey=value\n");
  saveSettings(&module);
  std::vector<std::string> lines = iniLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "[Other Plugin]");
  EXPECT_EQ(lines[1], "key=value");
  EXPECT_EQ(lines.size(), 2u + 12u);
}

// A module path longer than GetModuleFileNameA's 260 bytes would be cut
// short: no file is read or written in whatever directory that names.
TEST(SettingsPath, OverlongModulePathTouchesNoFile) {
  if (!fs::exists(fs::path(VELMO_OUTPUT_DIR) / "vis_velmo.so")) GTEST_SKIP() << "plug-in not built";
  std::string deep;
  for (int i = 0; i < 6; i++) deep += (i ? "/" : "") + std::string(50, (char)('a' + i));
  PluginFolder folder(false, deep);
  ASSERT_GT(folder.file("vis_velmo.so").size(), 260u);
  VisModule module{};
  module.description = pluginModule.description;
  module.dllInstance = folder.module();
  ASSERT_NE(module.dllInstance, nullptr);
  RotateX = 0;
  loadSettings(&module);
  saveSettings(&module);
  EXPECT_EQ(RotateX, 0);
  for (const auto& entry : fs::recursive_directory_iterator(folder.root()))
    EXPECT_NE(entry.path().filename(), "plugin.ini") << entry.path();
  RotateX = 1;
}

}  // namespace
