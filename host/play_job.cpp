// The interactive player loop.
#include "host/play_job.h"

#include <SDL.h>
#include <velmo_glide.h>

#include <chrono>
#include <cstring>
#include <cstdio>
#include <memory>
#include <thread>

#include "host/audio_output.h"
#include "host/live_capture.h"
#include "host/picture_window.h"
#include "host/spectrum.h"
#include "host/transport.h"
#include "host/virtual_keys.h"
#include "host/vis_session.h"

namespace velmo {
namespace {

constexpr int kFramesPerSecond = 75;
using Clock = std::chrono::steady_clock;

int fail(const std::string& message) {
  std::fprintf(stderr, "velmo: %s\n", message.c_str());
  return 1;
}

}  // namespace

int runPlayJob(const PlayJob& job) {
  std::string error;
  const int scale = job.scale;
  PictureWindow window;
  if (!window.open("velmo", 640 * scale, 480 * scale, job.fullscreen, &error)) {
    return fail(error + ".\n       To write the picture to a video file instead: velmo render FILE -o video.mp4");
  }

  std::unique_ptr<AudioOutput> output;
  std::unique_ptr<Feed> feed;
  if (job.live) {
    feed = openLiveCapture(job.captureDevice, &error);
    if (!feed) return fail(error + " (see 'velmo live --list')");
  } else {
    std::string warning;
    if (!job.mute) output = openSdlAudioOutput(&warning);
    if (!output) {
      if (!job.mute) std::fprintf(stderr, "velmo: warning: %s; showing the picture only\n", warning.c_str());
      output = openSilentAudioOutput();
    }
    auto transport = std::make_unique<Transport>(job.files, output.get());
    if (!transport->begin(&error)) return fail(error);
    feed = std::move(transport);
  }

  vglSetScale(scale);
  vglSetDither(job.dither ? 1 : 0);
  VisSession session;
  if (!session.open(job.pluginPath, feed.get(), &error)) return fail(error);
  session.onFrame([&window](const Frame& frame) { window.update(frame); });
  // The main window's caption names the song for the plug-in; the picture
  // window's title repeats it for the desktop.
  std::string caption;
  auto showCaption = [&](bool force) {
    std::string now = feed->caption();
    if (now == caption && !force) return;
    caption = now;
    session.setCaption(caption);
    window.setTitle(caption + (session.running() ? " - velmo" : " - velmo (display closed: Enter opens it again, Q quits)"));
  };
  session.start(feed->sampleRate(), feed->channels());
  showCaption(true);

  Spectrum spectrum;
  SpectrumBytes bytes = {};
  const Clock::time_point start = Clock::now();
  Clock::time_point nextFrame = start;
  bool quit = false;
  while (!quit) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      if (event.type == SDL_QUIT) quit = true;
      if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) continue;
      SDL_Keycode key = event.key.keysym.sym;
      bool down = event.type == SDL_KEYDOWN;
      if (key == SDLK_F11 || (key == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT))) {
        if (down && !event.key.repeat) window.toggleFullscreen();
        continue;
      }
      if (key == SDLK_RETURN && down && !session.running()) {
        session.start(feed->sampleRate(), feed->channels());
        showCaption(true);
        continue;
      }
      unsigned virtualKey = virtualKeyFor(key);
      if (virtualKey) session.deliverKey(down ? WM_KEYDOWN : WM_KEYUP, virtualKey, keyMessageParam(event.key));
    }
    session.pumpMessages();
    if (session.displayClosed()) {
      session.stop();
      window.clear();
      showCaption(true);
    }
    feed->fill();
    showCaption(false);
    if (feed->quitRequested() || feed->ended()) break;
    if (job.maxSeconds >= 0 && Clock::now() - start >= std::chrono::duration<double>(job.maxSeconds)) break;

    if (feed->sounding()) {
      int64_t centre = feed->heardFrame();
      if (feed->canLookAhead()) {
        // The plug-in's picture reaches the screen latencyMs after render.
        centre += static_cast<int64_t>(session.latencyMs()) * feed->sampleRate() / 1000;
      } else {
        centre -= kSpectrumWindow / 2;
      }
      spectrum.computeAt(feed->history(), centre, bytes);
    } else {
      std::memset(bytes, 0, sizeof bytes);
    }
    if (session.running()) session.render(bytes);
    window.present();

    nextFrame += std::chrono::microseconds(1000000 / kFramesPerSecond);
    Clock::time_point now = Clock::now();
    if (nextFrame > now) {
      std::this_thread::sleep_until(nextFrame);
    } else if (now - nextFrame > std::chrono::milliseconds(200)) {
      nextFrame = now;  // fell far behind: do not race to catch up
    }
  }
  session.stop();
  return 0;
}

}  // namespace velmo
