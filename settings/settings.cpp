// The option flags and their section of "plugin.ini" beside the plug-in.
#include "settings/settings.h"

#include "plugin/paths.h"
#include "settings/settings_dialog.h"

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

const SettingsOption settingsOptions[SETTINGS_COUNT] = {
    {"RotateX", &RotateX, IDC_ROTATE_X, 0},
    {"RotateY", &RotateY, IDC_ROTATE_Y, 1},
    {"RotateZ", &RotateZ, IDC_ROTATE_Z, 2},
    {"DisplayBackSpec", &DisplayBackSpec, IDC_BACK_SPECTRUM, 3},
    {"SpinToBeat", &SpinToBeat, IDC_SPIN_TO_BEAT, 4},
    {"Reflect", &Reflect, IDC_REFLECT, 6},
    {"DisplayPlatform", &DisplayPlatform, IDC_DISPLAY_PLATFORM, 5},
    {"DisplayTime", &DisplayTime, IDC_DISPLAY_TIME, 7},
    {"DisplaySong", &DisplaySong, IDC_DISPLAY_SONG, 8},
    {"RotateLogo", &RotateLogo, IDC_ROTATE_LOGO, 9},
    {"PointedEnds", &PointedEnds, IDC_POINTED_ENDS, 10},
};

// The directory keeps room for "plugin.ini" whatever the module path's length.
static char settingsPath[MODULE_PATH_SIZE + sizeof(SETTINGS_FILE_NAME)];

void loadSettings(VisModule* module) {
  if (!moduleSiblingPath(module->dllInstance, SETTINGS_FILE_NAME, settingsPath, sizeof settingsPath))
    return;
  for (int i = 0; i < SETTINGS_COUNT; i++) {
    const SettingsOption& option = settingsOptions[i];
    int value = GetPrivateProfileIntA(module->description, option.key, *option.flag, settingsPath);
    *option.flag = value != 0 ? 1 : 0;
  }
}

void saveSettings(VisModule* module) {
  if (!moduleSiblingPath(module->dllInstance, SETTINGS_FILE_NAME, settingsPath, sizeof settingsPath))
    return;
  for (int position = 0; position < SETTINGS_COUNT; position++) {
    for (int i = 0; i < SETTINGS_COUNT; i++) {
      const SettingsOption& option = settingsOptions[i];
      if (option.writePosition != position) continue;
      char text[16];
      wsprintfA(text, "%i", (int)*option.flag);
      WritePrivateProfileStringA(module->description, option.key, text, settingsPath);
    }
  }
}
