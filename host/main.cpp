// velmo: runs a Winamp visualization plug-in on music, in a window or to a
// video file.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "host/config_job.h"
#include "host/live_capture.h"
#include "host/play_job.h"
#include "host/plugin_folder.h"
#include "host/render_job.h"

namespace {

std::string resolvePlugin(const std::string& requested) {
  std::string path = requested.empty() ? velmo::defaultPluginPath() : requested;
  if (path.empty()) return path;
  std::string note;
  std::string usable = velmo::userWritablePluginPath(path, &note);
  if (!note.empty()) std::fprintf(stderr, "velmo: warning: %s\n", note.c_str());
  return usable;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"velmo: runs a Winamp visualization plug-in on music, in a window or to a video.\n"
               "With no file, plays the built-in demo track."};
  app.set_version_flag("--version", "velmo 0.1");
  std::string pluginPath;
  app.add_option("--plugin", pluginPath, "The vis plug-in to load (default: vis_velmo.so beside velmo)");
  app.require_subcommand(0, 1);
  // `velmo FILE...` is `velmo play FILE...`.
  std::vector<std::string> bareFiles;
  app.add_option("files", bareFiles, "Audio files to play (as 'velmo play FILE...')");

  velmo::PlayJob play;
  CLI::App* playCommand = app.add_subcommand("play", "Show the picture in a window and play the files");
  playCommand->add_option("files", play.files, "Audio files (WAV, FLAC, Ogg Vorbis, Opus, MP3, AIFF, ...), played in order");
  playCommand->add_option("--scale", play.scale, "Render at 2, 3 or 4 times 640x480 for a sharp picture")->check(CLI::Range(1, 4));
  playCommand->add_flag("--fullscreen", play.fullscreen, "Start in fullscreen (F11 toggles)");
  playCommand->add_flag("--dither", play.dither, "The board's 16-bit dithered look");
  playCommand->add_flag("--mute", play.mute, "Picture only; no sound");
  playCommand->add_option("--seconds", play.maxSeconds, "Quit after this many seconds")->check(CLI::NonNegativeNumber);
  playCommand->footer("Keys: Escape closes the display (Enter reopens it), F/G move the platform, "
                      "Z previous, X play, C or space pause, V stop, B next, left/right seek, "
                      "up/down volume, F11 fullscreen, Q quit.");

  velmo::PlayJob live;
  live.live = true;
  bool listDevices = false;
  CLI::App* liveCommand = app.add_subcommand("live", "Visualize live input (a microphone, or a monitor of what the desktop plays)");
  liveCommand->add_option("--device", live.captureDevice, "Capture device name (see --list; default: the default input)");
  liveCommand->add_flag("--list", listDevices, "List the capture devices and exit");
  liveCommand->add_option("--scale", live.scale, "Render at 2, 3 or 4 times 640x480")->check(CLI::Range(1, 4));
  liveCommand->add_flag("--fullscreen", live.fullscreen, "Start in fullscreen (F11 toggles)");
  liveCommand->add_option("--seconds", live.maxSeconds, "Quit after this many seconds")->check(CLI::NonNegativeNumber);

  velmo::RenderJob render;
  CLI::App* renderCommand = app.add_subcommand("render", "Render to a video file (H.264 + AAC) or to PNG frames, faster than real time");
  renderCommand->add_option("file", render.input, "Audio file (default: the demo track)");
  renderCommand->add_option("-o,--output", render.output, "Video file (.mp4, .mkv, .mov), or a folder for PNG frames")->required();
  renderCommand->add_option("--fps", render.fps, "Frames per second (the plug-in is made for 75)")->check(CLI::Range(1, 240))->capture_default_str();
  renderCommand->add_option("--scale", render.scale, "Render at 2, 3 or 4 times 640x480")->check(CLI::Range(1, 4))->capture_default_str();
  renderCommand->add_option("--seconds", render.maxSeconds, "Render only the first SECONDS")->check(CLI::NonNegativeNumber);
  renderCommand->add_flag("--dither", render.dither, "The board's 16-bit dithered look");
  renderCommand->add_option("--preset", render.preset, "x264 preset: ultrafast ... veryslow")->capture_default_str();
  bool quiet = false;
  renderCommand->add_flag("-q,--quiet", quiet, "No progress bar");

  velmo::RenderJob snapshot;
  CLI::App* snapshotCommand = app.add_subcommand("snapshot", "Write the picture at one moment of a track as a PNG");
  snapshotCommand->add_option("file", snapshot.input, "Audio file (default: the demo track)");
  snapshotCommand->add_option("--at", snapshot.snapshotAt, "Moment in seconds")->required()->check(CLI::NonNegativeNumber);
  snapshotCommand->add_option("-o,--output", snapshot.output, "PNG file to write")->required();
  snapshotCommand->add_option("--scale", snapshot.scale, "Render at 2, 3 or 4 times 640x480")->check(CLI::Range(1, 4));
  snapshotCommand->add_option("--fps", snapshot.fps, "Frames per second of the run up to the moment")->check(CLI::Range(1, 240));
  snapshotCommand->add_flag("--dither", snapshot.dither, "The board's 16-bit dithered look");

  CLI::App* configCommand = app.add_subcommand("config", "Open the plug-in's configuration dialog");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int status = app.exit(e);
    return status == 0 ? 0 : 2;
  }

  if (*liveCommand && listDevices) {
    std::string error;
    std::vector<std::string> names = velmo::captureDeviceNames(&error);
    if (!error.empty()) {
      std::fprintf(stderr, "velmo: %s\n", error.c_str());
      return 1;
    }
    if (names.empty()) std::printf("(no capture devices)\n");
    for (const std::string& name : names) std::printf("%s\n", name.c_str());
    return 0;
  }

  std::string plugin = resolvePlugin(pluginPath);
  if (plugin.empty()) {
    std::fprintf(stderr, "velmo: cannot find %s beside the program; name one with --plugin PATH\n", velmo::kPluginFileName);
    return 1;
  }

  if (*renderCommand) {
    render.pluginPath = plugin;
    render.progress = !quiet;
    return velmo::runRenderJob(render);
  }
  if (*snapshotCommand) {
    snapshot.pluginPath = plugin;
    snapshot.progress = false;
    return velmo::runRenderJob(snapshot);
  }
  if (*configCommand) return velmo::runConfigJob(plugin);
  if (*liveCommand) {
    live.pluginPath = plugin;
    return velmo::runPlayJob(live);
  }
  play.pluginPath = plugin;
  if (!*playCommand) play.files = bareFiles;
  return velmo::runPlayJob(play);
}
