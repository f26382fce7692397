// The popup window, the Glide context, the textures and the display keys.
#pragma once
#include <cstddef>
#include <windows.h>
#include "plugin/vis.h"

#define DISPLAY_CLASS_NAME "VELMO 3DFX Spectrum Analyzer"

extern VisModule* hostModule;
extern HWND displayWindow;
// Nonzero from a successful openDisplay until Escape or closeDisplay.
extern int displayOpen;
// Nonzero while closeDisplay destroys a popup the user did not close.
extern int displayClosing;

int openDisplay(VisModule* module);
int closeDisplay(VisModule* module);
// The precision-control step of openDisplay: x87 reinitialised, 24-bit.
void setSinglePrecision();
// The x87 control word, or -1 where there is no x87.
int fpuControlWord();

// Texture handles (Glide mipmap ids; -1 when texture memory ran out).
extern int lightTexture;
extern int barTexture;
extern int fontTexture;
extern int logoTexture;

void loadTexture(const char* path, int* slot);
// Ends the host with the box naming a texture that cannot be read, as
// loadTexture does for a missing file; never returns.
[[noreturn]] void textureNotFound(const char* path);
// Where the loader gets its texel buffer; unit tests swap it to simulate
// an exhausted heap.
extern void* (*textureBufferAlloc)(size_t size);

// Keys: A/D and F/G move the platform, Escape closes the display.
extern float platformHeightAdjust;
extern float platformDepthAdjust;

LRESULT CALLBACK displayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
