// The user's own plug-in folder: links to an installed plug-in set, so the
// plug-in's settings file lands where the user can write.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <windows.h>

#include "temp_folder.h"
#include "vis/plugin_folder.h"

namespace velmo {
namespace {

std::string linkTarget(const std::string& path) {
  char target[PATH_MAX];
  ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
  if (length < 0) return "";
  target[length] = 0;
  return target;
}

class PluginFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(system(("mkdir -p " + installed).c_str()), 0);
    for (const char* name : {"vis_velmo.so", "Light.3df", "VelmoFont.3DF", "README"})
      std::ofstream(installed + "/" + name) << name;
  }
  velmo_test::TempFolder folder{"velmo-plugins"};
  const std::string root = folder.path();
  const std::string installed = root + "/lib/velmo";
};

TEST_F(PluginFolderTest, LinksThePluginAndItsTexturesOnly) {
  std::string note;
  std::string mine = root + "/home/.local/share/velmo/plugins";
  EXPECT_EQ(linkPluginInto(installed + "/vis_velmo.so", mine, &note), mine + "/vis_velmo.so") << note;
  EXPECT_EQ(linkTarget(mine + "/vis_velmo.so"), installed + "/vis_velmo.so");
  EXPECT_EQ(linkTarget(mine + "/Light.3df"), installed + "/Light.3df");
  EXPECT_EQ(linkTarget(mine + "/VelmoFont.3DF"), installed + "/VelmoFont.3DF");
  EXPECT_NE(access((mine + "/README").c_str(), F_OK), 0);

  // The settings file the plug-in writes beside itself is a real file there.
  WritePrivateProfileStringA("Velmo", "Reflect", "0", (mine + "/plugin.ini").c_str());
  EXPECT_EQ(GetPrivateProfileIntA("Velmo", "Reflect", 1, (mine + "/plugin.ini").c_str()), 0u);
  EXPECT_NE(access((installed + "/plugin.ini").c_str(), F_OK), 0);

  // A second run after an upgrade to another folder points the links anew and
  // keeps the settings and any texture the user put there.
  std::string upgraded = root + "/opt/velmo";
  ASSERT_EQ(system(("mkdir -p " + root + "/opt && cp -r " + installed + " " + upgraded).c_str()), 0);
  ASSERT_EQ(unlink((mine + "/Light.3df").c_str()), 0);
  std::ofstream(mine + "/Light.3df") << "the user's own";
  EXPECT_EQ(linkPluginInto(upgraded + "/vis_velmo.so", mine, &note), mine + "/vis_velmo.so") << note;
  EXPECT_EQ(linkTarget(mine + "/vis_velmo.so"), upgraded + "/vis_velmo.so");
  EXPECT_EQ(linkTarget(mine + "/Light.3df"), "");
  EXPECT_EQ(GetPrivateProfileIntA("Velmo", "Reflect", 1, (mine + "/plugin.ini").c_str()), 0u);
}

TEST_F(PluginFolderTest, SaysWhyWhenTheFolderCannotBeMade) {
  std::string note;
  std::ofstream(root + "/file") << "x";
  EXPECT_EQ(linkPluginInto(installed + "/vis_velmo.so", root + "/file/plugins", &note), "");
  EXPECT_NE(note.find(root + "/file/plugins: Not a directory"), std::string::npos) << note;
  // Without HOME there is no folder to name.
  EXPECT_EQ(linkPluginInto(installed + "/vis_velmo.so", "", &note), "");
  EXPECT_EQ(note, "no folder of your own for the plug-in (neither XDG_DATA_HOME nor HOME is set)");
}

// A writable folder is used in place, but never one under /usr, whatever
// name leads there: root can write it, and settings written into a package's
// folder outlive the package. (As another user /usr is not writable anyway.)
TEST_F(PluginFolderTest, AWritableFolderIsUsedInPlaceButNeverOneUnderUsr) {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  const std::string saved = dataHome ? dataHome : "";
  setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
  ASSERT_EQ(symlink("/usr/lib", (root + "/lib-link").c_str()), 0);
  ASSERT_EQ(system(("mkdir -p " + root + "/usr/lib/velmo").c_str()), 0);
  const std::string mine = root + "/data/velmo/plugins/vis_velmo.so";
  for (const auto& [plugin, expected] : std::vector<std::pair<std::string, std::string>>{
           {installed + "/vis_velmo.so", installed + "/vis_velmo.so"},
           {root + "/usr/lib/velmo/vis_velmo.so", root + "/usr/lib/velmo/vis_velmo.so"},  // only named usr
           {"/usr/lib/vis_velmo.so", mine},
           {"/usr/bin/../lib/vis_velmo.so", mine},  // as found beside the program
           {root + "/lib-link/vis_velmo.so", mine}}) {
    std::string note;
    EXPECT_EQ(userWritablePluginPath(plugin, &note), expected) << note;
  }
  dataHome ? setenv("XDG_DATA_HOME", saved.c_str(), 1) : unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace velmo
