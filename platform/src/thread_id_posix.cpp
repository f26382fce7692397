// GetCurrentThreadId: the kernel's thread id, unique among live threads and
// never 0, as on Win32.
#include <windows.h>

#include <sys/syscall.h>
#include <unistd.h>

extern "C" DWORD GetCurrentThreadId(void) {
  thread_local const DWORD id = static_cast<DWORD>(syscall(SYS_gettid));
  return id;
}
