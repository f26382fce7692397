// velmo: runs a Winamp visualization plug-in on music, in a window or to a
// video file.
#include <cstdio>
#include <string>
#include <vector>

#include "audio/library_log.h"
#include "audio/live_capture.h"
#include "commands/command_line.h"
#include "commands/config_job.h"
#include "commands/interrupts.h"
#include "commands/play_job.h"
#include "commands/render_batch.h"
#include "commands/render_job.h"
#include "commands/report.h"
#include "vis/plugin_folder.h"
#include "vis/vis_loader.h"

namespace {

// The plug-in named with --plugin (a name without a folder is a file in the
// current folder, as in a shell), or the one installed beside the program;
// in a folder the user can write, so that its settings can be saved. Empty,
// with `error`, when there is none to load.
std::string resolvePlugin(const std::string& requested, std::string* error) {
  std::string path = requested.empty() ? velmo::defaultPluginPath() : requested;
  if (path.empty()) {
    *error = std::string("cannot find ") + velmo::kPluginFileName + " beside the program; name one with --plugin PATH";
    return path;
  }
  if (!velmo::visFileUsable(path, error)) return "";
  if (path.find('/') == std::string::npos) path = "./" + path;  // not the loader's search
  std::string note;
  std::string usable = velmo::userWritablePluginPath(path, &note);
  if (!note.empty()) velmo::warn(note);
  return usable;
}

int listCaptureDevices() {
  std::string error;
  std::vector<velmo::CaptureDevice> devices = velmo::captureDevices(&error);
  if (!error.empty()) return velmo::fail(error);
  if (devices.empty()) std::printf("(no capture devices)\n");
  for (const velmo::CaptureDevice& device : devices) std::printf("%s\n", velmo::describeCaptureDevice(device).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  velmo::CommandLine line;
  const int status = velmo::parseCommandLine(argc, argv, &line);
  if (status >= 0) return status;
  velmo::showLibraryMessages(line.verbose);
  if (line.command == velmo::Command::ListCaptureDevices) return listCaptureDevices();

  std::string error;
  const std::string plugin = resolvePlugin(line.pluginPath, &error);
  if (plugin.empty()) return velmo::fail(error);
  line.play.pluginPath = line.render.pluginPath = plugin;
  if (line.command == velmo::Command::Config) return velmo::runConfigJob(plugin);

  // Ctrl-C ends a render with what it has written, and a player as Q does.
  velmo::watchInterrupts();
  line.render.stop = line.play.stop = &velmo::stopRequested();
  switch (line.command) {
    case velmo::Command::Render:
      if (line.renderFiles.size() > 1) return velmo::runRenderBatch(line.render, line.renderFiles);
      if (!line.renderFiles.empty()) line.render.input = line.renderFiles.front();
      return velmo::runRenderJob(line.render);
    case velmo::Command::Snapshot:
      return velmo::runRenderJob(line.render);
    default:
      return velmo::runPlayJob(line.play);
  }
}
