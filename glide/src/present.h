// Presentation of finished frames: the registered presenter, image dumps and
// (on Windows) the library's own window.
#pragma once

#include "glide.h"

namespace glide {

// owner: the window handle given to grSstWinOpen (0: none).
void openPresenters(int width, int height, FxU32 owner);
void closePresenters();
// pixels: 0x00RRGGBB, top row first, width pixels per row.
void presentFrame(const FxU32* pixels, int width, int height, int swapInterval);
// True when a presenter, the dump folder or the own window takes frames
// (otherwise a swap need not prepare one).
bool framesWanted();

// The library's own window (GDI on Windows; nothing elsewhere). Its keys go
// to the program's window: the one given to grSstWinOpen, or the one that
// had the keyboard then.
void openOwnWindow(int width, int height, FxU32 owner);
void showInOwnWindow(const FxU32* pixels, int width, int height, int swapInterval);
void closeOwnWindow();
bool ownWindowOpen();
// The scale Scale=auto picks for a frame of width × height (the board's
// size), from the area the window opens with: 1 where there is no window.
int autoScale(int width, int height, FxU32 owner);

// Writes a 32-bit BMP; false when the file cannot be written.
bool writeBmp(const char* path, const FxU32* pixels, int width, int height);

}  // namespace glide
