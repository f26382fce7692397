// The plug-in's side of the host interface: its header and module records and
// the export that hands them out.
#pragma once
#include "plugin/include/vis_abi.h"

extern const VisHeader pluginHeader;
extern VisModule pluginModule;

VisModule* getModule(int index);

#if defined(_WIN32)
#define VIS_EXPORT __declspec(dllexport)
#else
#define VIS_EXPORT __attribute__((visibility("default")))
#endif

extern "C" VIS_EXPORT VisHeader* winampVisGetHeader();
