// live on a desktop of its own (a private bus and sound server): the monitor
// of the default output chosen and marked, and mpv's song, time and state
// followed over MPRIS, in the feed the plug-in asks and in the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/live_capture.h"
#include "desktop_session.h"
#include "program_fixture.h"
#include "vis/ansi_text.h"

namespace {

using velmo_test::DesktopSession;
using velmo_test::kLeakSuppressions;
using velmo_test::kVelmo;
using velmo_test::kWaitForWindow;
using namespace std::chrono_literals;

// Polls `condition` until it holds or, on a busy machine, half a minute has gone.
template <typename Condition>
bool eventually(Condition condition) {
  const auto end = std::chrono::steady_clock::now() + 30s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

class Desktop : public velmo_test::ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (IsSkipped()) return;
    const std::string missing = DesktopSession::missingTools();
    if (!missing.empty()) GTEST_SKIP() << missing;
    session = std::make_unique<DesktopSession>(dir);
    std::string why = session->startBus();
    if (why.empty()) why = session->startSound();
    ASSERT_EQ(why, "");
  }
  std::string startPlayer(const std::string& arguments) {
    std::string error;
    const std::string name = session->startPlayer(arguments, &error);
    EXPECT_NE(name, "") << error;
    return name;
  }
  // Two seconds titled "Radio One", then twenty "Radio Two", in one chained
  // Ogg stream: the title changes, the track does not.
  std::string writeRadio() {
    const std::string one = session->writeTone("r1.ogg", "Radio One", "DJ", 2, 300);
    const std::string two = session->writeTone("r2.ogg", "Radio Two", "DJ", 20, 500);
    runProgram("cat " + shellQuote(one) + " " + shellQuote(two) + " > " + shellQuote(dir + "/radio.ogg"));
    return dir + "/radio.ogg";
  }

  std::unique_ptr<DesktopSession> session;
};

TEST_F(Desktop, ListMarksMonitorsAndTheDefaultOutputsMonitor) {
  ASSERT_EQ(runProgram(session->environment() +
                       " sh -c 'pactl load-module module-null-sink sink_name=studio "
                       "sink_properties=device.description=Studio >/dev/null && pactl set-default-sink studio && "
                       "pactl set-default-source speakers.monitor'")
                .status,
            0);
  ProgramResult list = velmo("live --list", session->environment() + " SDL_AUDIODRIVER=pulse");
  EXPECT_EQ(list.status, 0) << list.output;
  EXPECT_NE(list.output.find("Monitor of Studio (monitor, default)\n"), std::string::npos) << list.output;
  // The server's default source is still the first output's monitor.
  EXPECT_NE(list.output.find("Monitor of Null Output (monitor, default input)\n"), std::string::npos) << list.output;
}

// What the plug-in asks of live input while mpv plays, pauses, seeks, moves
// on, is joined by a second player with a stream and quits. (A stream with
// no length is not among them: mpv always gives one, estimated for pipes.)
TEST_F(Desktop, LiveFeedAnswersFromThePlayerThatCounts) {
  session->enter();
  // The sound itself does not matter here: SDL's disk driver reads silence.
  const std::string silence = dir + "/silence.raw";
  velmo_test::writeFile(silence, std::string(44100 * 8, '\0'));
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILEIN", silence.c_str(), 1);
  const std::string first = session->writeTone("a.ogg", "Первый свет", "Ærø Band", 30, 440);
  const std::string second = session->writeTone("b.ogg", "Second Song", "", 30, 660);
  std::string error;
  std::unique_ptr<velmo::Feed> feed = velmo::openLiveCapture("", velmo::watchDesktopPlayers(), &error);
  ASSERT_TRUE(feed) << error;
  EXPECT_EQ(feed->caption(), "1. Live input - Winamp");

  const std::string mpv = startPlayer(shellQuote(first) + " " + shellQuote(second));
  ASSERT_TRUE(eventually([&] { return feed->caption() == "1. Ærø Band - Первый свет - Winamp"; })) << feed->caption();
  // The plug-in gets what its font has.
  EXPECT_EQ(velmo::toWindows1252(feed->caption()), "1. \xC6r\xF8 Band - ?????? ???? - Winamp");
  EXPECT_EQ(feed->trackLengthSeconds(), 30);
  EXPECT_EQ(feed->playState(), 1);
  // Between the player's updates (a second apart) the time moves on by the
  // clock. A player that stalls on a busy machine is corrected at its next
  // update, so one step may go back: the median step is the clock's.
  std::vector<int> steps;
  for (int i = 0, last = feed->playPositionMs(); i < 10; ++i) {
    std::this_thread::sleep_for(100ms);
    const int now = feed->playPositionMs();
    steps.push_back(now - last);
    last = now;
  }
  std::sort(steps.begin(), steps.end());
  EXPECT_NEAR(steps[steps.size() / 2], 100, 50) << "the time should move with the clock between updates";

  ASSERT_TRUE(session->tellPlayer(mpv, "Pause"));
  ASSERT_TRUE(eventually([&] { return feed->playState() == 3; }));
  // Once the position asked for at the pause has arrived, the time stands.
  int paused = -1;
  EXPECT_TRUE(eventually([&] {
    paused = feed->playPositionMs();
    std::this_thread::sleep_for(300ms);
    return feed->playPositionMs() == paused;
  }));
  ASSERT_TRUE(session->tellPlayer(mpv, "Seek int64:10000000"));
  EXPECT_TRUE(eventually([&] { return feed->playPositionMs() >= paused + 9500; })) << feed->playPositionMs();

  ASSERT_TRUE(session->tellPlayer(mpv, "Next"));
  EXPECT_TRUE(eventually([&] { return feed->caption() == "1. Second Song - Winamp"; })) << feed->caption();

  // A second player, playing while the first is paused, counts; its stream
  // changes title mid-track.
  const std::string radio = startPlayer(shellQuote(writeRadio()));
  EXPECT_TRUE(eventually([&] { return feed->caption() == "1. DJ - Radio One - Winamp"; })) << feed->caption();
  EXPECT_TRUE(eventually([&] { return feed->caption() == "1. DJ - Radio Two - Winamp"; })) << feed->caption();
  EXPECT_EQ(feed->playState(), 1);
  // The first plays again: of the two playing, it started last.
  ASSERT_TRUE(session->tellPlayer(mpv, "Play"));
  EXPECT_TRUE(eventually([&] { return feed->caption() == "1. Second Song - Winamp"; })) << feed->caption();
  ASSERT_TRUE(session->quitPlayer(mpv));
  EXPECT_TRUE(eventually([&] { return feed->caption() == "1. DJ - Radio Two - Winamp"; })) << feed->caption();
  ASSERT_TRUE(session->quitPlayer(radio));
  EXPECT_TRUE(eventually([&] { return feed->caption() == "1. Live input - Winamp"; })) << feed->caption();

  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILEIN");
}

// The window under Xvfb names mpv's song in full, follows it to the next,
// and says "Live input" once mpv has quit, or throughout with --no-player;
// velmo says what it listens to.
TEST_F(Desktop, LiveWindowShowsThePlayersSong) {
  for (const char* tool : {"Xvfb", "xdotool"})
    if (!toolAvailable(tool)) GTEST_SKIP() << tool << " is not installed";
  requirePicture();
  const std::string first = session->writeTone("a.ogg", "Первый свет", "Ærø Band", 30, 440);
  const std::string second = session->writeTone("b.ogg", "Second Song", "", 30, 660);
  const std::string mpv = startPlayer(shellQuote(first) + " " + shellQuote(second));
  const std::string tell = "dbus-send --session --type=method_call --dest=" + mpv + " /org/mpris/MediaPlayer2 ";
  std::ofstream(dir + "/session.sh") << "w=$(" + kWaitForWindow + "'Band - ' 180 \"$1\") || exit 1\n"
                                     << "xdotool getwindowname \"$w\" > first.txt\n"
                                     << tell + "org.mpris.MediaPlayer2.Player.Next\n"
                                     << kWaitForWindow + "'Second Song' 60 \"$1\" >/dev/null\n"
                                     << "xdotool getwindowname \"$w\" > second.txt\n"
                                     << tell + "org.mpris.MediaPlayer2.Quit\n"
                                     << kWaitForWindow + "'Live input' 60 \"$1\" >/dev/null\n"
                                     << "xdotool getwindowname \"$w\" > quit.txt\n"
                                     << "xdotool key --window \"$w\" q\n";
  // First with --no-player: a second after the caption is set is time enough
  // for the player to show, were it followed.
  std::ofstream(dir + "/alone.sh") << "w=$(" + kWaitForWindow + "'Live input' 180 \"$1\") || exit 1\n"
                                   << "sleep 1\nxdotool getwindowname \"$w\" > alone.txt\n"
                                   << "xdotool key --window \"$w\" q\n";
  const std::string velmo = kLeakSuppressions + session->environment() + " SDL_AUDIODRIVER=pulse " + shellQuote(kVelmo);
  ProgramResult result = velmoLine(
      kOnOwnDisplay + "sh -c " +
          shellQuote(velmo + " live --no-player --seconds 120 > alone.log 2>&1 & pid=$!; " + session->environment() +
                     " sh alone.sh $pid; wait $pid; echo alone=$?; " + velmo +
                     " live --seconds 120 > velmo.log 2>&1 & pid=$!; " + session->environment() +
                     " sh session.sh $pid; wait $pid; echo exit=$?"),
      300);
  EXPECT_NE(result.output.find("alone=0"), std::string::npos) << result.output;
  EXPECT_EQ(velmo_test::readFile(dir + "/alone.txt"), "1. Live input - Winamp - velmo\n");
  EXPECT_NE(result.output.find("exit=0"), std::string::npos) << result.output;
  EXPECT_EQ(velmo_test::readFile(dir + "/first.txt"), "1. Ærø Band - Первый свет - Winamp - velmo\n");
  EXPECT_EQ(velmo_test::readFile(dir + "/second.txt"), "1. Second Song - Winamp - velmo\n");
  EXPECT_EQ(velmo_test::readFile(dir + "/quit.txt"), "1. Live input - Winamp - velmo\n");
  EXPECT_NE(velmo_test::readFile(dir + "/velmo.log").find("velmo: listening to Monitor of Null Output (monitor, default)"),
            std::string::npos)
      << velmo_test::readFile(dir + "/velmo.log");
}

}  // namespace
