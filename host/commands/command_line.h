// The velmo command line: which command runs, and with what.
#pragma once
#include <string>
#include <vector>

#include "commands/play_job.h"
#include "commands/render_job.h"

namespace velmo {

enum class Command { Play,
                     Live,
                     ListCaptureDevices,
                     Render,
                     Snapshot,
                     Config };

struct CommandLine {
  Command command = Command::Play;
  std::string pluginPath;                // as given with --plugin; empty: the default one
  bool verbose = false;                  // the libraries' own messages too
  PlayJob play;                          // play and live
  RenderJob render;                      // render and snapshot
  std::vector<std::string> renderFiles;  // what render reads (empty: the demo track)
};

// Parses the arguments into `line`. Returns -1 when a command is to run;
// otherwise the exit status after help, the version or a usage error (all
// printed already).
int parseCommandLine(int argc, char** argv, CommandLine* line);

}  // namespace velmo
