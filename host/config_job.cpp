// The plug-in's configuration dialog.
#include "host/config_job.h"

#include <cstdio>

#include "host/vis_session.h"

namespace velmo {
int runConfigJob(const std::string& pluginPath) {
  FixedControls controls;  // stopped
  VisSession session;
  std::string error;
  if (!session.open(pluginPath, &controls, &error)) {
    std::fprintf(stderr, "velmo: %s\n", error.c_str());
    return 1;
  }
  if (!session.configure()) std::fprintf(stderr, "velmo: %s has nothing to configure\n", session.description());
  return 0;
}

}  // namespace velmo
