// Named pipes (FIFOs) opened without hanging: open() on one waits for a
// partner at the other end, and a signal handler installed with SA_RESTART
// would resume that wait for ever.
#pragma once
#include <atomic>
#include <string>

namespace velmo {

// Whether `path` names a pipe (through links).
bool isPipe(const std::string& path);
// Opens the pipe `path` for reading or `writing` once a writer (a reader) is
// at its other end, looking every 50 ms, until `stop` is set. Returns a
// blocking descriptor, or -1 with errno (EINTR when stopped).
int openPipeEnd(const std::string& path, bool writing, const std::atomic<bool>* stop);

}  // namespace velmo
