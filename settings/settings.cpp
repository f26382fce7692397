// The option flags and their section of "plugin.ini" beside the plug-in.
#include "settings/settings.h"

#include "plugin/paths.h"

unsigned char RotateX = 1;
unsigned char RotateY = 1;
unsigned char RotateZ = 1;
unsigned char DisplayBackSpec = 1;
unsigned char SpinToBeat = 1;
unsigned char Reflect = 1;
unsigned char DisplayPlatform = 1;
unsigned char DisplayTime = 1;
unsigned char DisplaySong = 1;
unsigned char RotateLogo = 1;
unsigned char PointedEnds = 1;

struct SettingsKey {
  const char* name;
  unsigned char* flag;
};

static const SettingsKey settingsReadOrder[] = {
    {"RotateX", &RotateX},         {"RotateY", &RotateY},
    {"RotateZ", &RotateZ},         {"DisplayBackSpec", &DisplayBackSpec},
    {"SpinToBeat", &SpinToBeat},   {"Reflect", &Reflect},
    {"DisplayPlatform", &DisplayPlatform}, {"DisplayTime", &DisplayTime},
    {"DisplaySong", &DisplaySong}, {"RotateLogo", &RotateLogo},
    {"PointedEnds", &PointedEnds},
};

// DisplayPlatform goes out before Reflect, so a new section lists it first.
static const SettingsKey settingsWriteOrder[] = {
    {"RotateX", &RotateX},         {"RotateY", &RotateY},
    {"RotateZ", &RotateZ},         {"DisplayBackSpec", &DisplayBackSpec},
    {"SpinToBeat", &SpinToBeat},   {"DisplayPlatform", &DisplayPlatform},
    {"Reflect", &Reflect},         {"DisplayTime", &DisplayTime},
    {"DisplaySong", &DisplaySong}, {"RotateLogo", &RotateLogo},
    {"PointedEnds", &PointedEnds},
};

// The directory keeps room for "plugin.ini" whatever the module path's length.
static char settingsPath[MODULE_PATH_SIZE + sizeof(SETTINGS_FILE_NAME)];

void loadSettings(VisModule* module) {
  if (!moduleSiblingPath(module->dllInstance, SETTINGS_FILE_NAME, settingsPath, sizeof settingsPath))
    return;
  for (const SettingsKey& key : settingsReadOrder) {
    int value = GetPrivateProfileIntA(module->description, key.name, *key.flag, settingsPath);
    *key.flag = value != 0 ? 1 : 0;
  }
}

void saveSettings(VisModule* module) {
  if (!moduleSiblingPath(module->dllInstance, SETTINGS_FILE_NAME, settingsPath, sizeof settingsPath))
    return;
  for (const SettingsKey& key : settingsWriteOrder) {
    char text[16];
    wsprintfA(text, "%i", (int)*key.flag);
    WritePrivateProfileStringA(module->description, key.name, text, settingsPath);
  }
}
