// The eleven option flags and their store in "plugin.ini" beside the plug-in.
#pragma once
#include "plugin/vis.h"

extern unsigned char RotateX;
extern unsigned char RotateY;
extern unsigned char RotateZ;
extern unsigned char DisplayBackSpec;
extern unsigned char SpinToBeat;
extern unsigned char Reflect;
extern unsigned char DisplayPlatform;
extern unsigned char DisplayTime;
extern unsigned char DisplaySong;
extern unsigned char RotateLogo;
extern unsigned char PointedEnds;

#define SETTINGS_FILE_NAME "plugin.ini"

// One option: its key in the file (the flag bears the same name), the flag,
// its check box in the settings dialog, and its place when the file is
// written (0 first).
struct SettingsOption {
  const char* key;
  unsigned char* flag;
  int boxId;
  int writePosition;
};

#define SETTINGS_COUNT 11

// The eleven options in the order they are read, which is their declared
// order; the write order differs only in putting DisplayPlatform before
// Reflect.
extern const SettingsOption settingsOptions[SETTINGS_COUNT];

// Missing keys, section or file leave a flag as it is; a nonzero value sets it.
void loadSettings(VisModule* module);
// Writes every flag as "0" or "1".
void saveSettings(VisModule* module);
