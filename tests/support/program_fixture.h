// The velmo program run as a user runs it, for the end-to-end suites: a
// folder of its own per test, a song to render, velmo signalled once its
// handlers are in place, and the temporary files a run left.
#pragma once
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "run_program.h"
#include "temp_folder.h"

namespace velmo_test {

const std::string kVelmo = VELMO_OUTPUT_DIR "/velmo";
// For sanitizer builds: what the display libraries keep is not ours.
const std::string kLeakSuppressions = "LSAN_OPTIONS=suppressions=" VELMO_SOURCE_DIR "/tests/lsan_system_libraries.supp ";
// Shell words that print the id of a window once it is shown: NAME [SECONDS] [PID].
const std::string kWaitForWindow = "sh '" VELMO_SOURCE_DIR "/tests/support/wait_for_window.sh' ";

// A folder of its own for each test, and HOME inside it, so nothing the
// program writes lands outside.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(kVelmo.c_str(), X_OK) != 0) GTEST_SKIP() << kVelmo << " is not built";
  }
  // The plug-in ends the process when its textures are missing; the picture
  // tests need them built beside it.
  void requirePicture() {
    if (access(VELMO_OUTPUT_DIR "/Light.3df", R_OK) != 0) GTEST_SKIP() << "the plug-in's textures are not built";
  }
  void TearDown() override {
    if (HasFailure()) folder.keep();
  }

  // velmo with the given arguments, in the test's folder, headless unless
  // `display` is given.
  static inline const std::string kHeadless = "env -u DISPLAY -u WAYLAND_DISPLAY";
  ProgramResult velmo(const std::string& arguments, const std::string& environment = kHeadless) {
    return runProgram("cd " + shellQuote(dir) + " && " + velmoCommand(arguments, environment));
  }
  std::string velmoCommand(const std::string& arguments, const std::string& environment = kHeadless) {
    return kLeakSuppressions + environment + " HOME=" + shellQuote(dir) + " " + shellQuote(kVelmo) + " " + arguments;
  }
  // Shell lines that wait, however busy the machine (up to two minutes), until
  // `condition` holds for the velmo started as $pid, or until it has ended.
  static std::string waitUntil(const std::string& condition) {
    return "for i in $(seq 600); do { " + condition + "; } && break; kill -0 $pid 2>/dev/null || break; sleep 0.2; done; ";
  }
  // True once velmo's signal handlers are in place (SIGTERM among the caught).
  static std::string handlersInstalled() {
    return "mask=$(sed -n 's/^SigCgt:[[:space:]]*//p' /proc/$pid/status 2>/dev/null); "
           "[ -n \"$mask\" ] && [ $((0x$mask & 0x4000)) -ne 0 ]";
  }
  // velmo sent `signals` (kill's names, one after another) once its handlers
  // are in place and `ready` (a shell condition in `dir`) holds.
  ProgramResult velmoSignalled(const std::string& arguments, const std::string& signals, const std::string& ready) {
    std::string kills;
    for (std::istringstream names(signals); names.good();) {
      std::string name;
      names >> name;
      kills += "kill -" + name + " $pid; ";
    }
    return velmoWhen("$VELMO " + arguments, ready, kills);
  }
  // Shell words in `dir`, $VELMO standing for velmo (headless, its own HOME).
  // A shell starts background commands with SIGINT ignored; here it is not.
  ProgramResult velmoLine(const std::string& line, int timeoutSeconds = 300) {
    return runProgram("cd " + shellQuote(dir) + " || exit 1\n" + withVelmo(line), timeoutSeconds);
  }
  std::string withVelmo(std::string line) {
    const std::string command = velmoCommand("", kHeadless + " --default-signal=INT");
    for (size_t at; (at = line.find("$VELMO ")) != std::string::npos;) line.replace(at, 7, command);
    return line;
  }
  // `line` (a command, after shell words such as a trap) run in the
  // background; `action` (shell lines) once velmo's handlers are in place and
  // `ready` holds; then velmo waited for.
  ProgramResult velmoWhen(const std::string& line, const std::string& ready, const std::string& action,
                          int timeoutSeconds = 300) {
    return velmoLine("{ " + line + " & pid=$!; " + waitUntil(handlersInstalled() + " && " + ready) + action +
                         "\nwait $pid; }",
                     timeoutSeconds);
  }

  // Two seconds: a 110 Hz bass pulsing four times a second and a 3 kHz tone.
  // Poisoned: a NaN and a sample of 1e30 in it, as a broken float file has.
  std::string writeSong(const std::string& name = "song.wav", int rate = 44100,
                        int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16, bool poisoned = false) {
    std::string path = dir + "/" + name;
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    sf_set_string(file, SF_STR_ARTIST, "Tester");
    sf_set_string(file, SF_STR_TITLE, "Pulse");
    std::vector<float> frames(2 * 2 * rate);
    for (int i = 0; i < 2 * rate; ++i) {
      double t = static_cast<double>(i) / rate;
      double pulse = std::exp(-std::fmod(t, 0.25) * 12);
      frames[2 * i] = static_cast<float>(0.6 * pulse * std::sin(2 * M_PI * 110 * t));
      frames[2 * i + 1] = static_cast<float>(0.2 * std::sin(2 * M_PI * 3000 * t));
    }
    if (poisoned) {
      frames[2 * 1000] = NAN;
      frames[2 * 2000 + 1] = 1e30f;
    }
    sf_writef_float(file, frames.data(), 2 * rate);
    sf_close(file);
    return path;
  }

  // Files a run left under a temporary name.
  std::vector<std::string> leftovers() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
      if (entry.path().filename().string().find(".velmo-") != std::string::npos) found.push_back(entry.path());
    }
    return found;
  }

  velmo_test::TempFolder folder{"velmo-program"};
  const std::string dir = folder.path();
};

}  // namespace velmo_test
