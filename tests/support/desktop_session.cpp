// The private desktop: dbus-daemon, pulseaudio and mpv started through the
// shell, each waited for until it answers, each ended by its process id.
#include "desktop_session.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "run_program.h"
#include "temp_folder.h"

namespace velmo_test {
namespace {

constexpr const char* kMprisPlugin = "/usr/lib/mpv-mpris/mpris.so";
// dbus-send asking the bus itself; the method name goes after it.
const std::string kAskBus = "dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.";

// A shell loop that tries `condition` for up to ten seconds.
std::string retried(const std::string& condition) {
  return "for i in $(seq 100); do if " + condition + "; then exit 0; fi; sleep 0.1; done; exit 1";
}

}  // namespace

DesktopSession::DesktopSession(const std::string& folder) : folder_(folder), runtime_(folder + "/runtime") {
  mkdir(runtime_.c_str(), 0700);
}

DesktopSession::~DesktopSession() {
  for (auto pid = pids_.rbegin(); pid != pids_.rend(); ++pid) kill(*pid, SIGTERM);
}

std::string DesktopSession::missingTools() {
  for (const char* tool : {"dbus-daemon", "dbus-send", "pulseaudio", "pactl", "mpv", "ffmpeg"})
    if (!toolAvailable(tool)) return std::string(tool) + " is not installed";
  if (access(kMprisPlugin, R_OK) != 0) return "mpv-mpris is not installed";
  return "";
}

bool DesktopSession::remember(const std::string& pidText) {
  const int pid = std::atoi(pidText.c_str());
  if (pid <= 0) return false;  // never kill(0): that is our own group
  pids_.push_back(pid);
  return true;
}

bool DesktopSession::run(const std::string& command, int timeoutSeconds) {
  return runProgram("cd " + shellQuote(folder_) + " && " + environment() + " sh -c " + shellQuote(command),
                    timeoutSeconds)
             .status == 0;
}

std::string DesktopSession::environment() const {
  std::string words = "env HOME=" + shellQuote(folder_) + " XDG_RUNTIME_DIR=" + shellQuote(runtime_);
  if (!busAddress_.empty()) words += " DBUS_SESSION_BUS_ADDRESS=" + shellQuote(busAddress_);
  return words;
}

void DesktopSession::enter() const {
  setenv("HOME", folder_.c_str(), 1);
  setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
  if (!busAddress_.empty()) setenv("DBUS_SESSION_BUS_ADDRESS", busAddress_.c_str(), 1);
}

std::string DesktopSession::startBus() {
  if (!run("dbus-daemon --session --fork --print-address=3 --print-pid=4 3>bus.address 4>bus.pid >/dev/null 2>&1"))
    return "dbus-daemon did not start";
  std::string address = readFile(folder_ + "/bus.address");
  busAddress_ = address.substr(0, address.find('\n'));
  remember(readFile(folder_ + "/bus.pid"));
  return "";
}

std::string DesktopSession::startSound() {
  if (!run("pulseaudio -n --daemonize=no --exit-idle-time=-1 --load=module-native-protocol-unix "
           "--load='module-null-sink sink_name=speakers' >pulse.log 2>&1 & echo $! >pulse.pid"))
    return "pulseaudio did not start";
  remember(readFile(folder_ + "/pulse.pid"));
  if (!run(retried("pactl info >/dev/null 2>&1"))) return "pulseaudio does not answer: " + readFile(folder_ + "/pulse.log");
  return "";
}

std::string DesktopSession::startPlayer(const std::string& arguments, std::string* error) {
  const std::string log = "mpv-" + std::to_string(pids_.size()) + ".log";
  const std::string pidFile = log + ".pid";
  if (!run(std::string("mpv --no-config --script=") + kMprisPlugin + " --no-video --ao=pulse --volume=100 " +
           arguments + " >" + log + " 2>&1 </dev/null & echo $! >" + pidFile)) {
    *error = "mpv did not start";
    return "";
  }
  if (!remember(readFile(folder_ + "/" + pidFile))) {
    *error = "mpv did not start";
    return "";
  }
  // mpv-mpris takes "mpv", or when another mpv has it, "mpv.instancePID".
  const std::string pid = std::to_string(pids_.back());
  const std::string own = "org.mpris.MediaPlayer2.mpv.instance" + pid;
  const std::string hasOwnName = kAskBus + "ListNames | grep -q '\"" + own + "\"'";
  const std::string ownsPlainName = kAskBus + "GetConnectionUnixProcessID string:org.mpris.MediaPlayer2.mpv " +
                                    "2>/dev/null | grep -q 'uint32 " + pid + "$'";
  for (int i = 0; i < 300; ++i) {
    if (run(hasOwnName)) return own;
    if (run(ownsPlainName)) return "org.mpris.MediaPlayer2.mpv";
    usleep(100000);
  }
  *error = "mpv did not appear on the bus: " + readFile(folder_ + "/" + log);
  return "";
}

bool DesktopSession::tellPlayer(const std::string& busName, const std::string& methodAndArguments) {
  return run("dbus-send --session --type=method_call --dest=" + busName +
             " /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Player." + methodAndArguments);
}

bool DesktopSession::busNameGone(const std::string& busName) {
  return run(retried("! " + kAskBus + "ListNames | grep -q '\"" + busName + "\"'"));
}

bool DesktopSession::quitPlayer(const std::string& busName) {
  return run("dbus-send --session --type=method_call --dest=" + busName +
             " /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Quit") &&
         busNameGone(busName);
}

std::string DesktopSession::writeTone(const std::string& name, const std::string& title, const std::string& artist,
                                      double seconds, int frequency) {
  const std::string path = folder_ + "/" + name;
  std::string tags = " -metadata title=" + shellQuote(title);
  if (!artist.empty()) tags += " -metadata artist=" + shellQuote(artist);
  runProgram("ffmpeg -v error -y -f lavfi -i sine=frequency=" + std::to_string(frequency) +
                 ":duration=" + std::to_string(seconds) + " -ac 2" + tags + " " + shellQuote(path),
             60);
  return path;
}

}  // namespace velmo_test
