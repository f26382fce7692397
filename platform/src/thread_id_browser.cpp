// GetCurrentThreadId in the web page, which runs everything on one thread.
#include <windows.h>

extern "C" DWORD GetCurrentThreadId(void) { return 1; }
