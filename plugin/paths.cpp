// Paths of the files that lie beside the plug-in module.
#include "plugin/paths.h"

#include <cstring>

int siblingPath(const char* modulePath, const char* fileName, char* path, int pathSize) {
  if (pathSize <= 0) return 0;
  path[0] = 0;
  int directoryLength = (int)strlen(modulePath);
  while (directoryLength > 0 && modulePath[directoryLength - 1] != PATH_SEPARATOR) directoryLength--;
  int nameLength = (int)strlen(fileName);
  if (directoryLength + nameLength + 1 > pathSize) return 0;
  memcpy(path, modulePath, directoryLength);
  memcpy(path + directoryLength, fileName, nameLength + 1);
  return 1;
}

int moduleSiblingPath(HINSTANCE instance, const char* fileName, char* path, int pathSize) {
  char modulePath[MODULE_PATH_SIZE];
  DWORD length = GetModuleFileNameA(instance, modulePath, MODULE_PATH_SIZE);
  // A full buffer means the name was cut short (older Windows leave it
  // unterminated): its directory part would name the wrong place.
  int complete = length > 0 && length < MODULE_PATH_SIZE;
  if (length == 0)
    modulePath[0] = 0;
  else
    modulePath[complete ? length : MODULE_PATH_SIZE - 1] = 0;
  return siblingPath(modulePath, fileName, path, pathSize) && complete;
}
