// Bad things beside the plug-in and around the player, seen as the user sees
// them: damaged textures, a settings file that cannot be written, a machine
// without sound.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <windows.h>
#include <velmo_win32/dialog_testing.h>
#include <velmo_win32/testing.h>

#include "plugin_host.h"
#include "run_program.h"

namespace hardening {
namespace {
namespace fs = std::filesystem;

#define REQUIRE_HOST(host)        \
  if (!(host).ready()) {          \
    GTEST_SKIP() << (host).why(); \
  }

struct Damage {
  const char* name;
  const char* texture;
  void (*apply)(const fs::path& file);
};

void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

void replaceWithBytes(const fs::path& file, const std::string& bytes) {
  fs::remove(file);
  std::ofstream(file, std::ios::binary) << bytes;
}

// Every way a texture beside the plug-in can be broken ends the host with the
// error box (caption "An ERROR", naming the file or the failure) and status -1,
// before any frame is drawn: never a crash, never a half-loaded texture.
class DamagedTexture : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedTexture, ShowsTheErrorBoxAndEndsTheHost) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  PluginHost probe;
  REQUIRE_HOST(probe);
  const Damage damage = GetParam();
  unsetenv("DISPLAY");  // the box answers itself; its words still go to standard error
  unsetenv("VELMO_MSGBOX");
  EXPECT_EXIT(
      {
        PluginHost host;
        damage.apply(fs::path(host.folder()) / damage.texture);
        host.module()->init(host.module());
        std::fprintf(stderr, "init returned\n");
        std::exit(0);
      },
      ::testing::ExitedWithCode(255),
      "An ERROR.*Could not load texture: .*" + std::string(damage.texture));
}

const fs::path sharedTestData = VELMO_TESTDATA_DIR "/3df";

INSTANTIATE_TEST_SUITE_P(
    BesideThePlugin, DamagedTexture,
    ::testing::Values(
        Damage{"Missing", "VelmoLogo.3df", [](const fs::path& file) { fs::remove(file); }},
        Damage{"Empty", "Light.3df", [](const fs::path& file) { replaceWithBytes(file, ""); }},
        Damage{"Garbage", "Velmo1.3df", [](const fs::path& file) { replaceWithBytes(file, std::string(5000, '\x9c')); }},
        Damage{"HeaderOnly", "VelmoFont.3df",
               [](const fs::path& file) {
                 replaceWithBytes(file, "3df v1.1\nrgb565\nlod range: 1 256\naspect ratio: 1 1\n");
               }},
        Damage{"LastBytesCut", "VelmoFont.3df",
               [](const fs::path& file) {
                 std::ifstream in(fs::read_symlink(file), std::ios::binary);
                 std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                 replaceWithBytes(file, bytes.substr(0, bytes.size() - 3));
               }},
        Damage{"LineEndsMangledInTransit", "Light.3df",
               [](const fs::path& file) {
                 // A real file that lost bytes on its way (see ../shared/testdata/3df).
                 fs::remove(file);
                 if (fs::exists(sharedTestData / "truncated-lava.3df"))
                   fs::copy_file(sharedTestData / "truncated-lava.3df", file);
               }},
        Damage{"FolderInItsPlace", "VelmoLogo.3df",
               [](const fs::path& file) {
                 fs::remove(file);
                 fs::create_directory(file);
               }}),
    [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

// The plug-in's folder is longer than Win32 paths may be (the module path
// comes back cut at 260 characters): no path buffer overflows, and the user
// gets the texture box naming the first texture instead of files read from
// some other folder. A little too long, the cut path still names the
// plug-in's own folder; much too long, it names an ancestor, where textures
// of the same names are laid to show that none is read.
struct Overlong {
  const char* name;
  int extraCharacters;  // beyond the 259 that fit, for the module's whole path
};

void PrintTo(const Overlong& overlong, std::ostream* out) { *out << overlong.name; }

class OverlongPluginFolder : public ::testing::TestWithParam<Overlong> {};

// Folders under the host's own that make its module path `length` long.
std::string nestedFolderFor(size_t rootLength, size_t length) {
  std::string nested;
  size_t total = rootLength + sizeof "/vis_velmo.so" - 1;
  while (total < length) {
    const size_t part = std::min<size_t>(50, length - total);
    nested += (nested.empty() ? "" : "/") + std::string(part, static_cast<char>('a' + nested.size() % 26));
    total += part + 1;
  }
  return nested;
}

TEST_P(OverlongPluginFolder, EndsWithTheTextureBoxAndReadsNothingElsewhere) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  PluginHost probe;
  REQUIRE_HOST(probe);
  const std::string nested = nestedFolderFor(probe.folder().size(), 259 + GetParam().extraCharacters);
  unsetenv("DISPLAY");
  unsetenv("VELMO_MSGBOX");
  EXPECT_EXIT(
      {
        PluginHost host(VELMO_OUTPUT_DIR, nested);
        const std::string cut = (host.folder() + "/vis_velmo.so").substr(0, 259);
        const fs::path named = cut.substr(0, cut.rfind('/'));
        if (named != host.folder()) {
          for (const char* file : {"Light.3df", "Velmo1.3df", "VelmoFont.3df", "VelmoLogo.3df"})
            fs::create_symlink(fs::path(VELMO_OUTPUT_DIR) / file, named / file);
        }
        host.module()->init(host.module());
        std::exit(0);
      },
      ::testing::ExitedWithCode(255), "An ERROR.*Could not load texture: .*Light.3df");
}

INSTANTIATE_TEST_SUITE_P(ModulePath, OverlongPluginFolder,
                         ::testing::Values(Overlong{"ALittleTooLong", 3}, Overlong{"NamesAnAncestor", 60}),
                         [](const ::testing::TestParamInfo<Overlong>& info) { return std::string(info.param.name); });

int boxesShown = 0;
int countBox(HWND, LPCSTR, LPCSTR, UINT) {
  ++boxesShown;
  return IDOK;
}

struct DialogVisit {
  int opening = 0;
  UINT timeBoxAtSecondOpening = 99;
};

void untickTimeThenLook(HWND dialog, void* context) {
  auto* visit = static_cast<DialogVisit*>(context);
  if (visit->opening++ == 0) {
    SendDlgItemMessageA(dialog, 1021, BM_CLICK, 0, 0);  // Display Time off
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  } else {
    visit->timeBoxAtSecondOpening = IsDlgButtonChecked(dialog, 1021);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  }
}

// plugin.ini cannot be written (here a folder stands in its place, which
// stops even root): OK keeps the choice for the rest of the session, nothing
// is shown, and the display runs as before.
TEST(UnwritableSettings, ChoiceIsKeptInMemoryAndNothingComplains) {
  PluginHost host;
  REQUIRE_HOST(host);
  fs::create_directory(fs::path(host.folder()) / "plugin.ini");
  boxesShown = 0;
  velmoSetMessageBoxHandler(countBox);
  velmoSetDialogHeadless(TRUE);
  DialogVisit visit;
  velmoSetDialogHook(untickTimeThenLook, &visit);
  host.module()->config(host.module());
  host.module()->config(host.module());
  velmoSetDialogHook(nullptr, nullptr);

  host.module()->init(host.module());
  for (long frame = 0; frame < 3; ++frame) {
    host.fillSpectrum(frame);
    EXPECT_EQ(host.module()->render(host.module()), 0);
  }
  host.module()->quit(host.module());
  velmoSetMessageBoxHandler(nullptr);

  EXPECT_EQ(visit.opening, 2);
  EXPECT_EQ(visit.timeBoxAtSecondOpening, static_cast<UINT>(BST_UNCHECKED)) << "the choice was lost";
  EXPECT_EQ(boxesShown, 0);
  EXPECT_TRUE(fs::is_directory(fs::path(host.folder()) / "plugin.ini"));
}

// No usable audio device: the player warns once and shows the picture.
TEST(NoAudioDevice, PlayerWarnsAndShowsThePictureOnly) {
  const std::string velmo = std::string(VELMO_OUTPUT_DIR) + "/velmo";
  if (access(velmo.c_str(), X_OK) != 0) GTEST_SKIP() << "velmo is not built";
  if (!toolAvailable("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  // In sanitizer builds the display and sound libraries' own exit-time
  // allocations are not ours to report (the player's suites share this list).
  const std::string suppressions = VELMO_SOURCE_DIR "/tests/lsan_system_libraries.supp";
  const std::string leakOptions =
      access(suppressions.c_str(), R_OK) == 0 ? "LSAN_OPTIONS=suppressions=" + suppressions + " " : "";
  const ProgramResult run =
      runProgram(leakOptions + "SDL_AUDIODRIVER=no_such_driver " + kOnOwnDisplay + velmo + " play --seconds 2", 120);
  const std::string& output = run.output;
  EXPECT_EQ(run.status, 0) << output;
  EXPECT_NE(output.find("no sound"), std::string::npos) << output;
  EXPECT_NE(output.find("showing the picture only"), std::string::npos) << output;
}

}  // namespace
}  // namespace hardening
