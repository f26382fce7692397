// Signal handlers that stop a job at a frame boundary.
#include "commands/interrupts.h"

#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "output/atomic_file.h"

namespace velmo {
namespace {

constexpr int kWatched[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<bool> stopFlag{false};
std::atomic<int> firstSignal{0};

// Two buffers, so a new note never changes the one the handler may be reading.
constexpr size_t kNoteSize = 512;
char notes[2][kNoteSize];
std::atomic<const char*> currentNote{nullptr};

void onSignal(int signal) {
  int expected = 0;
  if (firstSignal.compare_exchange_strong(expected, signal)) {
    stopFlag.store(true);
    return;
  }
  // Asked twice: no more waiting for the file to be finished.
  abandonPendingFiles();
  if (const char* note = currentNote.load()) {
    ssize_t ignored = write(STDERR_FILENO, note, strlen(note));
    (void)ignored;
  }
  _exit(128 + firstSignal.load());
}

}  // namespace

void watchInterrupts() {
  setSecondInterruptNote("stopped at once");
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : kWatched) sigaddset(&action.sa_mask, signal);
  action.sa_flags = SA_RESTART;
  for (int signal : kWatched) {
    // nohup's SIGHUP, a shell's `trap '' INT`: what the user had ignored stays ignored.
    struct sigaction before;
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
  // A reader that went away (`velmo ... 2>&1 | head -n 1`) fails that write
  // only; the render goes on.
  signal(SIGPIPE, SIG_IGN);
}

const std::atomic<bool>& stopRequested() { return stopFlag; }

int interruptSignal() { return firstSignal.load(); }

int interruptedStatus() {
  const int signal = firstSignal.load();
  return signal ? 128 + signal : 0;
}

void setSecondInterruptNote(const std::string& note) {
  const char* current = currentNote.load();
  char* spare = current == notes[0] ? notes[1] : notes[0];
  const std::string line = "\nvelmo: " + note + "\n";
  std::strncpy(spare, line.c_str(), kNoteSize - 1);
  spare[kNoteSize - 1] = 0;
  currentNote.store(spare);
}

}  // namespace velmo
