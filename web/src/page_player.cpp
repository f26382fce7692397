// The page's player: the plug-in driven as the desktop player drives it (our
// main window, the plug-in loaded as Winamp loads it, one render per frame),
// with the page's sound and clock. The page calls these functions; what the
// player asks of the page (the play position, the samples, the keys the
// plug-in passes on) goes to Module.velmoPage (page/velmo-page.js).
#include <emscripten.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "audio/demo_track.h"
#include "audio/spectrum.h"
#include "builtin_plugin.h"
#include "canvas_frame.h"
#include "vis/host_window.h"
#include "vis/vis_session.h"

namespace {

// clang-format off
EM_JS(int, pagePlayPositionMs, (), { return Module.velmoPage.playPositionMs(); });
EM_JS(int, pageTrackLengthSeconds, (), { return Module.velmoPage.trackLengthSeconds(); });
EM_JS(int, pagePlayState, (), { return Module.velmoPage.playState(); });
EM_JS(void, pageHostKey, (unsigned virtualKey), { Module.velmoPage.hostKey(virtualKey); });
EM_JS(void, pageFillWindow, (double first, int count, float* stereo), {
  Module.velmoPage.fillWindow(first, count, stereo);
});
// clang-format on

// The main window's answers come from the page, at the moment they are asked.
class PageControls : public velmo::HostControls {
 public:
  int playPositionMs() override { return pagePlayPositionMs(); }
  int trackLengthSeconds() override { return pageTrackLengthSeconds(); }
  int playState() override { return pagePlayState(); }
  void keyPressed(unsigned virtualKey) override { pageHostKey(virtualKey); }
  void closeRequested() override {}
};

// Where the spectrum of a frame is taken, as the desktop player takes it.
enum class Timing {
  kStopped = 0,    // nothing plays: a silent spectrum
  kHeard = 1,      // the position heard, plus the plug-in's latency (velmo play)
  kLive = 2,       // live input: the newest window, no look-ahead (velmo live)
  kFrameTime = 3,  // a frame shown at its own time (velmo render and snapshot)
};

struct Player {
  PageControls controls;
  velmo::VisSession session;
  velmo::Spectrum spectrum;
  velmo::SpectrumBytes bytes = {};
  float window[2 * velmo::kSpectrumWindow] = {};
  velmo_page::CanvasFrame frame;
  int sampleRate = 44100;
  int channels = 2;
  std::string error;
};

Player* player = nullptr;
std::vector<float> demoSamples;

int64_t spectrumCentre(double heardFrame, Timing timing) {
  const int64_t heard = static_cast<int64_t>(heardFrame);
  switch (timing) {
    case Timing::kHeard:
      // The plug-in's picture reaches the screen latencyMs after render.
      return heard + static_cast<int64_t>(player->session.latencyMs()) * player->sampleRate / 1000;
    case Timing::kLive:
      return heard - velmo::kSpectrumWindow / 2;
    default:
      return heard;
  }
}

}  // namespace

extern "C" {

// Creates the main window and loads the plug-in. 0 on failure, with the
// reason in velmoPageError().
EMSCRIPTEN_KEEPALIVE int velmoPageOpen() {
  if (player) return 1;
  auto created = std::make_unique<Player>();
  if (!velmo_page::installBuiltinPlugin()) {
    EM_ASM(console.warn('velmo: the settings are kept for this visit only'));
  }
  if (!created->session.open(velmo_page::kPluginPath, &created->controls, &created->error)) {
    static std::string error;
    error = created->error + " (error " + std::to_string(GetLastError()) + ")";
    EM_ASM({ Module.velmoPage.openFailed(UTF8ToString($0)); }, error.c_str());
    return 0;
  }
  player = created.release();
  player->session.onFrame([](const velmo::Frame& frame) { player->frame.take(frame); });
  return 1;
}

// A display run (the plug-in's init). A texture it cannot load ends the page's
// program after the plug-in's message box, as it ends Winamp. 0 when the
// plug-in refuses to start: the page says why, and the music goes on without
// the picture.
EMSCRIPTEN_KEEPALIVE int velmoPageStart(int sampleRate, int channels) {
  if (!player) return 0;
  if (player->session.running()) return 1;
  player->sampleRate = sampleRate;
  player->channels = channels;
  if (player->session.start(sampleRate, channels, &player->error)) return 1;
  EM_ASM({ Module.velmoPage.startFailed(UTF8ToString($0)); }, player->error.c_str());
  return 0;
}

// One frame at the moment `heardFrame` (in frames of the sound playing) with
// the given timing. Returns 1 while the display runs, 0 once it is closed.
EMSCRIPTEN_KEEPALIVE int velmoPageRenderFrame(double heardFrame, int timing) {
  if (!player || !player->session.running()) return 0;
  if (player->session.displayClosed()) {
    player->session.stop();
    player->frame.clear();
    return 0;
  }
  if (static_cast<Timing>(timing) == Timing::kStopped) {
    std::memset(player->bytes, 0, sizeof player->bytes);
  } else {
    const int64_t centre = spectrumCentre(heardFrame, static_cast<Timing>(timing));
    pageFillWindow(static_cast<double>(centre - velmo::kSpectrumWindow / 2), velmo::kSpectrumWindow,
                   player->window);
    player->spectrum.compute(player->window, player->bytes);
  }
  player->session.render(player->bytes);
  player->session.pumpMessages();
  return player->session.displayClosed() ? 0 : 1;
}

EMSCRIPTEN_KEEPALIVE int velmoPageRunning() {
  return player && player->session.running() && !player->session.displayClosed();
}

EMSCRIPTEN_KEEPALIVE void velmoPageStop() {
  if (!player) return;
  player->session.stop();
  player->frame.clear();
}

// A key as Win32 delivers it (WM_KEYDOWN or WM_KEYUP, a virtual-key code and
// the key's lParam): to the plug-in's display while it runs, else our window.
EMSCRIPTEN_KEEPALIVE void velmoPageKey(int message, int virtualKey, int param) {
  if (player) player->session.deliverKey(message, virtualKey, param);
}

// The plug-in's configuration dialog, modal: returns when it is closed.
EMSCRIPTEN_KEEPALIVE void velmoPageConfigure() {
  if (player) player->session.configure();
}

EMSCRIPTEN_KEEPALIVE void velmoPageSetCaption(const char* caption) {
  if (player) player->session.setCaption(caption);
}

// "N. Artist - Title - Winamp", as the desktop player writes it.
EMSCRIPTEN_KEEPALIVE const char* velmoPageCaption(int number, const char* artist, const char* title) {
  static std::string caption;
  caption = velmo::hostCaption(number, artist, title);
  return caption.c_str();
}

EMSCRIPTEN_KEEPALIVE const uint8_t* velmoPagePixels() { return player ? player->frame.pixels() : nullptr; }
EMSCRIPTEN_KEEPALIVE int velmoPageFrameWidth() { return player ? player->frame.width() : 0; }
EMSCRIPTEN_KEEPALIVE int velmoPageFrameHeight() { return player ? player->frame.height() : 0; }
// The spectrum bytes of the last frame: 2 channels of 576.
EMSCRIPTEN_KEEPALIVE const uint8_t* velmoPageSpectrum() { return player ? &player->bytes[0][0] : nullptr; }

// The built-in demo track, synthesised here as the desktop player does it:
// interleaved stereo at velmoPageDemoRate() until velmoPageDemoRelease().
EMSCRIPTEN_KEEPALIVE const float* velmoPageDemo() {
  if (demoSamples.empty()) {
    auto demo = velmo::openDemoTrack();
    demoSamples.resize(static_cast<size_t>(demo->frameCount()) * demo->channels());
    demo->read(demoSamples.data(), static_cast<size_t>(demo->frameCount()));
  }
  return demoSamples.data();
}
EMSCRIPTEN_KEEPALIVE int velmoPageDemoFrames() { return static_cast<int>(demoSamples.size() / 2); }
EMSCRIPTEN_KEEPALIVE int velmoPageDemoRate() { return velmo::kDemoSampleRate; }
EMSCRIPTEN_KEEPALIVE const char* velmoPageDemoArtist() {
  static const std::string artist = velmo::openDemoTrack()->info().artist;
  return artist.c_str();
}
EMSCRIPTEN_KEEPALIVE const char* velmoPageDemoTitle() {
  static const std::string title = velmo::openDemoTrack()->info().title;
  return title.c_str();
}
EMSCRIPTEN_KEEPALIVE void velmoPageDemoRelease() { std::vector<float>().swap(demoSamples); }

}  // extern "C"
