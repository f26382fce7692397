// The option store on Windows' own profile functions (Wine's kernel32): the
// program copies itself into a folder of its own and runs there, so that
// "plugin.ini" beside the module is that folder's.
#include <windows.h>

#include <string>

#include "plugin/vis.h"
#include "support.h"
#include "settings/settings.h"

namespace {

unsigned char* const kFlags[] = {&RotateX, &RotateY, &RotateZ, &DisplayBackSpec,
                                 &SpinToBeat, &Reflect, &DisplayPlatform, &DisplayTime,
                                 &DisplaySong, &RotateLogo, &PointedEnds};

VisModule module;
std::string iniPath;

void setAll(unsigned char value) {
  for (unsigned char* flag : kFlags) *flag = value;
}

void missingFileKeepsFlags() {
  DeleteFileA(iniPath.c_str());
  setAll(1);
  RotateY = 0;
  PointedEnds = 0;
  loadSettings(&module);
  CHECK_EQ(RotateY, 0);
  CHECK_EQ(PointedEnds, 0);
  CHECK_EQ(RotateX, 1);
  CHECK_EQ(DisplayTime, 1);
  CHECK(readFile(iniPath) == "<missing>");
}

void oneKeyChangesOneFlag() {
  writeFile(iniPath, "[Velmo's 3DFX Spectrum Analyzer]\r\nDisplayTime=0\r\n[Other]\r\nRotateX=0\r\n");
  setAll(1);
  loadSettings(&module);
  CHECK_EQ(DisplayTime, 0);
  int on = 0;
  for (unsigned char* flag : kFlags) on += *flag;
  CHECK_EQ(on, 10);
}

void anyNonZeroTurnsOn() {
  writeFile(iniPath, "[velmo's 3dfx spectrum analyzer]\r\npointedends=7\r\nReflect=-1\r\nSpinToBeat=abc\r\n");
  setAll(0);
  loadSettings(&module);
  CHECK_EQ(PointedEnds, 1);
  CHECK_EQ(Reflect, 1);
  CHECK_EQ(SpinToBeat, 0);
  saveSettings(&module);
  char value[16];
  GetPrivateProfileStringA("Velmo's 3DFX Spectrum Analyzer", "PointedEnds", "", value, sizeof value, iniPath.c_str());
  CHECK_STREQ(value, "1");
}

void freshSectionInWriteOrder() {
  DeleteFileA(iniPath.c_str());
  setAll(1);
  DisplayPlatform = 0;
  RotateZ = 0;
  saveSettings(&module);
  CHECK(readFile(iniPath) ==
        "[Velmo's 3DFX Spectrum Analyzer]\r\nRotateX=1\r\nRotateY=1\r\nRotateZ=0\r\n"
        "DisplayBackSpec=1\r\nSpinToBeat=1\r\nDisplayPlatform=0\r\nReflect=1\r\nDisplayTime=1\r\n"
        "DisplaySong=1\r\nRotateLogo=1\r\nPointedEnds=1\r\n");
}

void roundTrip() {
  for (unsigned pattern = 0; pattern < 2048; pattern += 341) {
    for (int i = 0; i < 11; i++) *kFlags[i] = (pattern >> i) & 1;
    saveSettings(&module);
    setAll(pattern & 1 ? 0 : 1);
    loadSettings(&module);
    bool same = true;
    for (int i = 0; i < 11; i++) same = same && *kFlags[i] == ((pattern >> i) & 1);
    CHECK(same);
  }
}

int runTests() {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  iniPath = self;
  iniPath = iniPath.substr(0, iniPath.rfind('\\') + 1) + "plugin.ini";
  module.description = "Velmo's 3DFX Spectrum Analyzer";
  module.dllInstance = GetModuleHandleA(nullptr);
  missingFileKeepsFlags();
  oneKeyChangesOneFlag();
  anyNonZeroTurnsOn();
  freshSectionInWriteOrder();
  roundTrip();
  return check::finish();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--here") return runTests();

  char self[MAX_PATH], temp[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp) + "velmo_settings_" + std::to_string(GetCurrentProcessId()) + "\\";
  std::string copy = folder + "settings_test.exe";
  CreateDirectoryA(folder.c_str(), nullptr);
  if (!CopyFileA(self, copy.c_str(), FALSE)) {
    std::printf("cannot copy the test to %s\n", folder.c_str());
    return 1;
  }
  Child child;
  if (!child.start("\"" + copy + "\" --here", folder.c_str())) {
    std::printf("cannot start %s\n", copy.c_str());
    return 1;
  }
  const long status = child.finish(300000);
  std::printf("%s", child.text.c_str());
  DeleteFileA(copy.c_str());
  DeleteFileA((folder + "plugin.ini").c_str());
  RemoveDirectoryA(folder.c_str());
  return (int)status;
}
