// The commands and options of velmo, through CLI11.
#include "commands/command_line.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdlib>

namespace velmo {
namespace {

// A time in seconds: a finite number, 0 or more, or more than 0 when zero
// would do nothing. NaN and infinities are no time.
CLI::Validator seconds(bool zeroAllowed) {
  const std::string rule = zeroAllowed ? "a number of seconds, 0 or more" : "a number of seconds greater than 0";
  return CLI::Validator(
      [zeroAllowed, rule](std::string& text) -> std::string {
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        const bool valid = end != text.c_str() && *end == 0 && std::isfinite(value) && value >= 0;
        return valid && (zeroAllowed || value > 0) ? "" : text + " is not " + rule;
      },
      "");
}

// An output name: an empty one names nothing.
CLI::Validator outputName() {
  return CLI::Validator([](std::string& text) -> std::string { return text.empty() ? "an empty name names no file" : ""; },
                        "");
}

// What play and live share: the window's size and mode, and a time limit.
void addWindowOptions(CLI::App* command, PlayJob& job) {
  command->add_option("--scale", job.scale, "Render at 2, 3 or 4 times 640x480 for a sharp picture")->check(CLI::Range(1, 4));
  command->add_flag("--fullscreen", job.fullscreen, "Start in fullscreen (F11 toggles)");
  command->add_option("--seconds", job.maxSeconds, "Quit after this many seconds")->check(seconds(false));
}

CLI::App* addPlay(CLI::App& app, PlayJob& play) {
  CLI::App* command = app.add_subcommand("play", "Show the picture in a window and play the files");
  command->add_option("files", play.files, "Audio files (WAV, FLAC, Ogg Vorbis, Opus, MP3, AIFF, ...), played in order");
  addWindowOptions(command, play);
  command->add_flag("--dither", play.dither, "The board's 16-bit dithered look");
  command->add_flag("--mute", play.mute, "Picture only; no sound");
  command->footer(
      "Keys: Escape closes the display (Enter reopens it), F/G move the platform, "
      "Z previous, X play, C or space pause, V stop, B next, left/right seek, "
      "up/down volume, F11 fullscreen, Q quit. Ctrl-C quits as Q does.");
  return command;
}

CLI::App* addLive(CLI::App& app, PlayJob& live, bool& listDevices) {
  CLI::App* command = app.add_subcommand("live", "Visualize what the desktop plays (or a microphone), with the song, time and state of the desktop's media player");
  command->add_option("--device", live.captureDevice,
                      "Capture device name (see --list; default: the monitor of the default output where the sound "
                      "server has one, else the default input)");
  command->add_flag("--list", listDevices, "List the capture devices, marking monitors and the default, and exit");
  command->add_flag("!--no-player", live.followPlayer,
                    "Do not follow the desktop's media player (MPRIS); the caption says \"Live input\"");
  addWindowOptions(command, live);
  command->footer(
      "The song's title, its number in the player's list, the time and play or pause come from the media player "
      "the desktop uses (over MPRIS on the session bus): the one playing, the one that started last when several "
      "are, else the one paused last.");
  return command;
}

CLI::App* addRender(CLI::App& app, RenderJob& render, std::vector<std::string>& files, bool& quiet) {
  CLI::App* command = app.add_subcommand("render", "Render to a video file (H.264 + AAC) or to PNG frames, faster than real time");
  command->add_option("files", files, "Audio files (default: the demo track); several are rendered one after another into the folder named by -o");
  command->add_option("-o,--output", render.output, "Video file (.mp4, .mkv, .mov), or a folder for PNG frames; for several files a folder, which gets NAME.mp4 (or NAME/ with --png) for each")->required()->check(outputName());
  command->add_flag("--png", render.png, "PNG frames, into the folder named by -o (for several files, a folder per file)");
  command->add_flag("--force", render.force, "Replace an output that exists already");
  command->add_option("--fps", render.fps, "Frames per second (the plug-in is made for 75)")->check(CLI::Range(1, 240))->capture_default_str();
  command->add_option("--scale", render.scale, "Render at 2, 3 or 4 times 640x480")->check(CLI::Range(1, 4))->capture_default_str();
  command->add_option("--seconds", render.maxSeconds, "Render only the first SECONDS")->check(seconds(false));
  command->add_flag("--dither", render.dither, "The board's 16-bit dithered look");
  command->add_option("--preset", render.preset, "x264 preset: ultrafast ... veryslow")->capture_default_str();
  command->add_flag("-q,--quiet", quiet, "No progress bar");
  command->footer(
      "Ctrl-C (or SIGTERM, SIGHUP) stops at the next frame and finishes the output: the video holds what was rendered "
      "until then, sound and picture of equal length; it goes beside a file already there (and, in a batch, beside its "
      "output) as NAME.partial.mp4, so a rerun renders it again. A second Ctrl-C stops at once and removes the "
      "unfinished video. "
      "A render killed outright (SIGKILL) leaves NAME.velmo-XXXXXX.mp4 beside the target, which plays up to its last "
      "key frame. "
      "Exit status: 0 done, 1 something failed (for several files: at least one), 130 after Ctrl-C "
      "(143 SIGTERM, 129 SIGHUP).");
  return command;
}

CLI::App* addSnapshot(CLI::App& app, RenderJob& snapshot, bool& quiet) {
  CLI::App* command = app.add_subcommand("snapshot", "Write the picture at one moment of a track as a PNG");
  command->add_option("file", snapshot.input, "Audio file (default: the demo track)");
  command->add_option("--at", snapshot.snapshotAt, "Moment in seconds")->required()->check(seconds(true));
  // Said here: left to CLI11, the file after it would be blamed.
  command->add_option("--seconds", "Not taken: a snapshot is one moment (render takes --seconds)")->check(CLI::Validator([](std::string&) -> std::string { return "a snapshot is one moment, given by --at; --seconds is render's"; }, ""));
  command->add_option("-o,--output", snapshot.output, "PNG file to write")->required()->check(outputName());
  command->add_flag("--force", snapshot.force, "Replace a file that exists already");
  command->add_option("--scale", snapshot.scale, "Render at 2, 3 or 4 times 640x480")->check(CLI::Range(1, 4));
  command->add_option("--fps", snapshot.fps, "Frames per second of the run up to the moment")->check(CLI::Range(1, 240));
  command->add_flag("--dither", snapshot.dither, "The board's 16-bit dithered look");
  command->add_flag("-q,--quiet", quiet, "No progress bar");
  return command;
}

}  // namespace

int parseCommandLine(int argc, char** argv, CommandLine* line) {
  CLI::App app{
      "velmo: runs a Winamp visualization plug-in on music, in a window or to a video.\n"
      "With no file, plays the built-in demo track."};
  app.set_version_flag("--version", "velmo " VELMO_VERSION "\n" VELMO_LICENCE_NOTE);
  app.add_option("--plugin", line->pluginPath, "The vis plug-in to load (default: vis_velmo.so beside velmo)");
  app.add_flag("--verbose", line->verbose, "Also show what the audio and video libraries report");
  app.require_subcommand(0, 1);
  // `velmo FILE...` is `velmo play FILE...`.
  std::vector<std::string> bareFiles;
  app.add_option("files", bareFiles, "Audio files to play (as 'velmo play FILE...')");

  PlayJob live;
  live.live = true;
  RenderJob snapshot;
  bool listDevices = false, quiet = false, snapshotQuiet = false;
  CLI::App* playCommand = addPlay(app, line->play);
  CLI::App* liveCommand = addLive(app, live, listDevices);
  CLI::App* renderCommand = addRender(app, line->render, line->renderFiles, quiet);
  CLI::App* snapshotCommand = addSnapshot(app, snapshot, snapshotQuiet);
  CLI::App* configCommand = app.add_subcommand("config", "Open the plug-in's configuration dialog");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }

  if (*renderCommand) {
    line->command = Command::Render;
    line->render.progress = !quiet;
  } else if (*snapshotCommand) {
    line->command = Command::Snapshot;
    line->render = snapshot;
    line->render.progress = !snapshotQuiet;
  } else if (*configCommand) {
    line->command = Command::Config;
  } else if (*liveCommand) {
    line->command = listDevices ? Command::ListCaptureDevices : Command::Live;
    line->play = live;
  } else {
    line->command = Command::Play;
    if (!*playCommand) line->play.files = bareFiles;
  }
  return -1;
}

}  // namespace velmo
