// Ctrl-C, a closed terminal or `kill`: SIGINT, SIGTERM and SIGHUP. The first
// asks the running job to end at the next frame, finishing what it writes; a
// second ends the process at once, removing the files not yet complete.
#pragma once
#include <atomic>
#include <string>

namespace velmo {

// Installs the handlers (sigaction; they only set flags, remove temporary
// files and write a fixed line), except for a signal ignored at start
// (nohup), which stays ignored. SIGPIPE is ignored: a closed pipe fails the
// write to it and nothing else.
void watchInterrupts();
// Set by the first signal.
const std::atomic<bool>& stopRequested();
// The signal that asked to stop, or 0.
int interruptSignal();
// What the shell reports for that signal: 130 for SIGINT, 143 for SIGTERM,
// 129 for SIGHUP; 0 when no signal came (the job was stopped otherwise).
int interruptedStatus();
// The line a second signal prints ("velmo: ..."); copied, as the handler may
// read it at any moment.
void setSecondInterruptNote(const std::string& note);

}  // namespace velmo
