// The export the host looks for, the two records, and the object that fills
// the module record when the DLL is loaded.
#include "plugin/vis.h"
#include "plugin/lifecycle.h"

class VisPluginBase {
 public:
  VisPluginBase(int screenWidth, int screenHeight) {}
  virtual ~VisPluginBase() {}
};

class VisPlugin : public VisPluginBase {
 public:
  VisPlugin(int screenWidth, int screenHeight);
  ~VisPlugin() override {}
};

VisModule pluginModule;

const VisHeader pluginHeader = {VIS_HEADER_VERSION, "VELMO 3DFX Spectrum Analyzer", getModule};

VisPlugin::VisPlugin(int screenWidth, int screenHeight) : VisPluginBase(screenWidth, screenHeight) {
  pluginModule.parentWindow = 0;
  pluginModule.dllInstance = 0;
  pluginModule.sampleRate = 0;
  pluginModule.channelCount = 0;
  pluginModule.delayMs = 0;
  pluginModule.waveformChannels = 0;
  pluginModule.description = "Velmo's 3DFX Spectrum Analyzer";
  pluginModule.latencyMs = 150;
  pluginModule.spectrumChannels = 2;
  pluginModule.config = visConfig;
  pluginModule.init = visInit;
  pluginModule.render = visRender;
  pluginModule.quit = visQuit;
}

static VisPlugin pluginObject(640, 480);

VisModule* getModule(int index) {
  if (index == 0) return &pluginModule;
  return 0;
}

extern "C" VIS_EXPORT VisHeader* winampVisGetHeader() {
  return const_cast<VisHeader*>(&pluginHeader);
}
