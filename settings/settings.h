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

// Missing keys, section or file leave a flag as it is; a nonzero value sets it.
void loadSettings(VisModule* module);
// Writes every flag as "0" or "1".
void saveSettings(VisModule* module);
