// On POSIX the player shows frames through its presenter; the library opens
// no window of its own.
#include "present.h"

namespace glide {

void openOwnWindow(int, int, FxU32) {}
void showInOwnWindow(const FxU32*, int, int, int) {}
void closeOwnWindow() {}
bool ownWindowOpen() { return false; }
int autoScale(int, int, FxU32) { return 1; }

}  // namespace glide
