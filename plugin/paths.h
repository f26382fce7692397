// Files that live beside the plug-in module.
#pragma once
#include <windows.h>

#if defined(_WIN32)
#define PATH_SEPARATOR '\\'
#else
#define PATH_SEPARATOR '/'
#endif

// Capacity handed to GetModuleFileNameA.
#define MODULE_PATH_SIZE 260

// modulePath's directory (up to and including its last separator, or nothing
// when it has none) followed by fileName. Returns 0, with path empty, when the
// result does not fit in pathSize bytes.
int siblingPath(const char* modulePath, const char* fileName, char* path, int pathSize);

// The same for the file beside the module `instance`. Returns 0 when the
// module's own path is longer than GetModuleFileNameA's capacity: path then
// holds the name formed from the cut-short text (good for an error message,
// wrong for writing), or is empty when even that does not fit.
int moduleSiblingPath(HINSTANCE instance, const char* fileName, char* path, int pathSize);
