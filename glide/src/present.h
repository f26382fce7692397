// Presentation of finished frames: the registered presenter, image dumps and
// (on Windows) the library's own window.
#pragma once

#include "glide.h"

namespace glide {

void openPresenters(int width, int height);
void closePresenters();
// pixels: 0x00RRGGBB, top row first, width pixels per row.
void presentFrame(const FxU32* pixels, int width, int height, int swapInterval);
// True when a presenter, the dump folder or the own window takes frames
// (otherwise a swap need not prepare one).
bool framesWanted();

// The library's own window (GDI on Windows; nothing elsewhere).
void openOwnWindow(int width, int height);
void showInOwnWindow(const FxU32* pixels, int width, int height, int swapInterval);
void closeOwnWindow();
bool ownWindowOpen();

// Writes a 32-bit BMP; false when the file cannot be written.
bool writeBmp(const char* path, const FxU32* pixels, int width, int height);

}  // namespace glide
