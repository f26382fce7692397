// Compiled resources of a POSIX module: what windres puts into a Windows DLL,
// here as tables generated from the module's .rc file at build time
// (resources/rc2cpp). A module exports one VelmoResources record under the
// name VELMO_RESOURCES_SYMBOL; DialogBoxParamA finds it with GetProcAddress
// on the instance it is given, as Windows looks in that module's resources.
#pragma once
#include <windows.h>

#define VELMO_RESOURCES_SYMBOL "velmoResources"

struct VelmoDialogItem {
  const char* className;      // as written in the template: "Button", "Static", "ScrollBar"
  const char* text;           // empty when textResource is set
  int textResource;           // a picture's bitmap number, else 0
  int id;                     // 0xFFFF for a control without an id, as in a Win32 template
  DWORD style;                // including WS_CHILD | WS_VISIBLE
  short x, y, width, height;  // dialog units
};

struct VelmoDialogTemplate {
  int id;
  DWORD style;
  const char* caption;
  const char* fontName;
  int fontSize;               // points
  short x, y, width, height;  // dialog units
  int itemCount;
  const VelmoDialogItem* items;
};

struct VelmoBitmapResource {
  int id;
  const unsigned char* file;  // the whole .bmp file
  unsigned fileSize;
};

struct VelmoResources {
  int dialogCount;
  const VelmoDialogTemplate* dialogs;
  int bitmapCount;
  const VelmoBitmapResource* bitmaps;
};
