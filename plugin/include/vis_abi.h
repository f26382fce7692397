// What a Winamp visualization host and its plug-in share: the two records the
// host reads, the header version it accepts and the name of the one export.
// Hosts include this and nothing else of the plug-in.
#pragma once
#include <windows.h>

struct VisModule;

struct VisHeader {
  int version;
  const char* description;
  VisModule* (*getModule)(int index);
};

struct VisModule {
  const char* description;
  HWND parentWindow;
  HINSTANCE dllInstance;
  int sampleRate;
  int channelCount;
  int latencyMs;
  int delayMs;
  int spectrumChannels;
  int waveformChannels;
  unsigned char spectrumData[2][576];
  unsigned char waveformData[2][576];
  void (*config)(VisModule* module);
  int (*init)(VisModule* module);
  int (*render)(VisModule* module);
  void (*quit)(VisModule* module);
  void* userData;
};

#if defined(_WIN32) && !defined(_WIN64)
// The host reads these records by offset; they must match its 32-bit layout.
#include <cstddef>
static_assert(sizeof(VisHeader) == 12, "VisHeader is 12 bytes");
static_assert(offsetof(VisModule, parentWindow) == 4, "parentWindow at 4");
static_assert(offsetof(VisModule, latencyMs) == 20, "latencyMs at 20");
static_assert(offsetof(VisModule, spectrumData) == 36, "spectrumData at 36");
static_assert(offsetof(VisModule, waveformData) == 1188, "waveformData at 1188");
static_assert(offsetof(VisModule, config) == 2340, "config at 2340");
static_assert(offsetof(VisModule, quit) == 2352, "quit at 2352");
static_assert(offsetof(VisModule, userData) == 2356, "userData at 2356");
static_assert(sizeof(VisModule) == 2360, "VisModule is 2360 bytes");
#endif

// Winamp accepts only headers of this version.
#define VIS_HEADER_VERSION 0x101

// The export a host looks up, and its type.
#define VIS_GET_HEADER_EXPORT "winampVisGetHeader"
typedef VisHeader* (*VisGetHeaderFunction)(void);
