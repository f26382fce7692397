// The plug-in's configuration dialog.
#include "host/config_job.h"

#include <cstdio>

#include "host/vis_session.h"

namespace velmo {
namespace {

class IdleControls : public HostControls {
 public:
  int playPositionMs() override { return -1; }
  int trackLengthSeconds() override { return -1; }
  int playState() override { return 0; }
  void keyPressed(unsigned) override {}
  void closeRequested() override {}
};

}  // namespace

int runConfigJob(const std::string& pluginPath) {
  IdleControls controls;
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
