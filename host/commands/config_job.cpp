// The plug-in's configuration dialog.
#include "commands/config_job.h"

#include "commands/report.h"
#include "vis/vis_session.h"

namespace velmo {

int runConfigJob(const std::string& pluginPath) {
  FixedControls controls;  // stopped
  VisSession session;
  std::string error;
  if (!session.open(pluginPath, &controls, &error)) return fail(error);
  if (!session.configure()) say(std::string(session.description()) + " has nothing to configure");
  return 0;
}

}  // namespace velmo
