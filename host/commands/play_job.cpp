// The interactive player loop.
#include "commands/play_job.h"

#include <SDL.h>

#include <chrono>
#include <memory>
#include <thread>

#include "audio/audio_output.h"
#include "audio/live_capture.h"
#include "audio/transport.h"
#include "commands/interrupts.h"
#include "commands/report.h"
#include "output/picture_window.h"
#include "output/virtual_keys.h"
#include "vis/vis_picture.h"

namespace velmo {
namespace {

constexpr int kFramesPerSecond = 75;
using Clock = std::chrono::steady_clock;

// The sound the picture follows: the playlist through the sound card (or a
// silent clock when there is none, or when muted), or live input.
struct PlayFeed {
  std::unique_ptr<AudioOutput> output;  // outlives the transport that feeds it
  std::unique_ptr<Feed> feed;
};

bool openFeed(const PlayJob& job, PlayFeed* play, std::string* error) {
  if (job.live) {
    std::string description;
    const std::string device = captureDeviceToUse(job.captureDevice, &description);
    play->feed = openLiveCapture(device, job.followPlayer ? watchDesktopPlayers() : nullptr, error);
    if (!play->feed) *error += " (see 'velmo live --list')";
    if (play->feed) say("listening to " + description);
    return play->feed != nullptr;
  }
  std::string warning;
  if (!job.mute) play->output = openSdlAudioOutput(&warning);
  if (!play->output) {
    if (!job.mute) warn(warning + "; showing the picture only");
    play->output = openSilentAudioOutput();
  }
  auto transport = std::make_unique<Transport>(job.files, play->output.get());
  if (!transport->begin(error)) return false;
  play->feed = std::move(transport);
  return true;
}

// Paces the loop at the plug-in's 75 frames a second; after a long stall it
// carries on from now rather than racing to catch up.
class FramePacer {
 public:
  void wait() {
    next_ += std::chrono::microseconds(1000000 / kFramesPerSecond);
    const Clock::time_point now = Clock::now();
    if (next_ > now) {
      std::this_thread::sleep_until(next_);
    } else if (now - next_ > std::chrono::milliseconds(200)) {
      next_ = now;
    }
  }

 private:
  Clock::time_point next_ = Clock::now();
};

// One play session: the window, the sound and the plug-in, frame by frame.
class PlayRun {
 public:
  PlayRun(const PlayJob& job, PictureWindow* window, Feed* feed) : job_(job), window_(window), feed_(feed) {}

  bool open(std::string* error) {
    if (!picture_.open(job_.pluginPath, job_.scale, job_.dither, feed_, error)) return false;
    picture_.session().onFrame([this](const Frame& frame) { window_->update(frame); });
    return true;
  }

  // Starts the plug-in's display. A plug-in that refuses leaves the player
  // playing without the picture, saying why; Enter tries again.
  void startPicture() {
    std::string error;
    refusal_.clear();
    if (!picture_.session().start(feed_->sampleRate(), feed_->channels(), &error)) {
      warn(error + "; playing without the picture");
      refusal_ = "no picture: the plug-in refused to start; Enter tries again, Q quits";
    }
    showCaption(true);
  }

  // Frame after frame until the window is closed, Q is pressed, the
  // playlist ends or --seconds is up; then quits the plug-in.
  void play() {
    start_ = Clock::now();
    pacer_ = FramePacer();
    while (step()) {
    }
    picture_.session().stop();
  }

 private:
  // One frame: keys, the plug-in's messages, the sound, the picture. False
  // when the session is over.
  bool step() {
    const bool quit = handleEvents();
    VisSession& session = picture_.session();
    session.pumpMessages();
    if (session.displayClosed()) {
      session.stop();
      window_->clear();
      showCaption(true);
    }
    feed_->fill();
    showCaption(false);
    if (feed_->quitRequested() || feed_->ended() || timeIsUp() || interrupted()) return false;
    renderFrame();
    window_->present();
    pacer_.wait();
    return !quit;
  }

  // The window's events: F11 (or Alt+Enter) toggles fullscreen, Enter
  // reopens a closed display, other keys go to the plug-in as Win32 key
  // messages. True when the window was closed.
  bool handleEvents() {
    bool quit = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      if (event.type == SDL_QUIT) quit = true;
      if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) continue;
      const SDL_Keycode key = event.key.keysym.sym;
      const bool down = event.type == SDL_KEYDOWN;
      if (key == SDLK_F11 || (key == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT))) {
        if (down && !event.key.repeat) window_->toggleFullscreen();
        continue;
      }
      if (key == SDLK_RETURN && down && !picture_.session().running()) {
        startPicture();
        continue;
      }
      const unsigned virtualKey = virtualKeyFor(key);
      if (virtualKey) picture_.session().deliverKey(down ? WM_KEYDOWN : WM_KEYUP, virtualKey, keyMessageParam(event.key));
    }
    return quit;
  }

  bool interrupted() const { return job_.stop && job_.stop->load(); }

  bool timeIsUp() const {
    return job_.maxSeconds >= 0 && Clock::now() - start_ >= std::chrono::duration<double>(job_.maxSeconds);
  }

  void renderFrame() {
    if (!feed_->sounding()) {
      picture_.renderSilence();
      return;
    }
    int64_t centre = feed_->heardFrame();
    if (feed_->canLookAhead()) {
      // The plug-in's picture reaches the screen latencyMs after render.
      centre += static_cast<int64_t>(picture_.session().latencyMs()) * feed_->sampleRate() / 1000;
    } else {
      centre -= kSpectrumWindow / 2;
    }
    picture_.renderAt(feed_->history(), centre);
  }

  // The main window's caption names the song for the plug-in; the picture
  // window's title repeats it for the desktop.
  void showCaption(bool force) {
    const std::string now = feed_->caption();
    if (now == caption_ && !force) return;
    caption_ = now;
    VisSession& session = picture_.session();
    session.setCaption(caption_);
    std::string state = " - velmo";
    if (!session.running()) {
      state += refusal_.empty() ? " (display closed: Enter opens it again, Q quits)" : " (" + refusal_ + ")";
    }
    window_->setTitle(caption_ + state);
  }

  const PlayJob& job_;
  PictureWindow* window_;
  Feed* feed_;
  VisPicture picture_;
  std::string caption_;
  std::string refusal_;  // why the plug-in shows no picture, for the title
  Clock::time_point start_;
  FramePacer pacer_;
};

}  // namespace

int runPlayJob(const PlayJob& job) {
  std::string error;
  PictureWindow window;
  if (!window.open("velmo", 640 * job.scale, 480 * job.scale, job.fullscreen, &error)) {
    return fail(error + ".\n       To write the picture to a video file instead: velmo render FILE -o video.mp4");
  }
  PlayFeed play;
  if (!openFeed(job, &play, &error)) return fail(error);
  PlayRun run(job, &window, play.feed.get());
  if (!run.open(&error)) return fail(error);
  run.startPicture();
  run.play();
  if (!job.stop || !job.stop->load()) return 0;
  say("interrupted: the plug-in has quit and the player closed");
  return interruptedStatus();
}

}  // namespace velmo
