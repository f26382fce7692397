// A desktop of its own for a test: a private session bus, a PulseAudio server
// whose default output is a null sink ("Null Output"), and mpv publishing
// MPRIS on that bus while it plays into it. All of it lives in the test's
// folder and ends with the object, so tests can run side by side.
#pragma once
#include <string>
#include <vector>

namespace velmo_test {

class DesktopSession {
 public:
  // `folder`: the test's scratch folder; the session's files go in it.
  explicit DesktopSession(const std::string& folder);
  ~DesktopSession();
  DesktopSession(const DesktopSession&) = delete;
  DesktopSession& operator=(const DesktopSession&) = delete;

  // Why the session cannot be had here (a missing package), or "".
  static std::string missingTools();

  // Each returns "" when started, else what went wrong.
  std::string startBus();
  std::string startSound();
  // mpv with `arguments` (files, URLs, options); returns its bus name, or ""
  // with `error` set.
  std::string startPlayer(const std::string& arguments, std::string* error);
  // A method of the player's MPRIS interface ("Pause", "Next", "Seek int64:5000000").
  bool tellPlayer(const std::string& busName, const std::string& methodAndArguments);
  // Quits the player through MPRIS and waits until its name has left the bus.
  bool quitPlayer(const std::string& busName);

  // Shell words that put a program into this session.
  std::string environment() const;
  // Sets this process's environment to the session (for in-process tests).
  void enter() const;
  // A stereo sine tone, tagged, written with ffmpeg; its path.
  std::string writeTone(const std::string& name, const std::string& title, const std::string& artist,
                        double seconds, int frequency);

 private:
  bool run(const std::string& command, int timeoutSeconds = 20);
  bool busNameGone(const std::string& busName);
  // Keeps a process id read from a file; false when there is none.
  bool remember(const std::string& pidText);

  std::string folder_;
  std::string runtime_;  // XDG_RUNTIME_DIR: the sound server's socket
  std::string busAddress_;
  std::vector<int> pids_;  // what was started, ended in reverse order
};

}  // namespace velmo_test
