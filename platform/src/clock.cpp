// Sleep and the millisecond tick count (thread identities: thread_id_*.cpp).
#include <windows.h>

#include <chrono>
#include <thread>

extern "C" void Sleep(DWORD milliseconds) {
  if (milliseconds == INFINITE) {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Milliseconds since an arbitrary start, wrapping at 2^32 as Win32's does.
extern "C" DWORD GetTickCount(void) {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
