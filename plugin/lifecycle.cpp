// The host's four callbacks: a display run from visInit to visQuit, one
// frame per visRender, and the settings dialog.
#include "plugin/lifecycle.h"

#include <cstdlib>
#include <cstring>

#include "analysis/analyzer.h"
#include "display/display.h"
#include "plugin/paths.h"
#include "plugin/trace_file.h"
#include "scene/scene.h"
#include "settings/settings.h"
#include "settings/settings_dialog.h"

int frameCount;
char songTitle[130];
char timeText[12];

// The play-position query a Winamp main window answers, in milliseconds.
#define HOST_PLAY_POSITION 105

static void loadTextureBeside(VisModule* module, const char* fileName, int* slot) {
  char path[MODULE_PATH_SIZE + sizeof("VelmoFont.3df")];
  // A module path cut short names some other folder, or the right one by
  // chance: nothing is read there. The box names the file as far as the
  // path goes.
  if (!moduleSiblingPath(module->dllInstance, fileName, path, sizeof path)) textureNotFound(path);
  loadTexture(path, slot);
}

int visInit(VisModule* module) {
  openDisplay(&pluginModule);
  loadSettings(module);
  frameCount = 0;
  memset(heldLevel, 0, sizeof heldLevel);
  memset(fallingLevel, 0, sizeof fallingLevel);
  memset(bandLevel, 0, sizeof bandLevel);

  loadTextureBeside(module, "Light.3df", &lightTexture);
  loadTextureBeside(module, "Velmo1.3df", &barTexture);
  loadTextureBeside(module, "VelmoFont.3df", &fontTexture);
  loadTextureBeside(module, "VelmoLogo.3df", &logoTexture);

  // One stream per process: a new run starts the file afresh.
  if (traceFile != 0) fclose(traceFile);
  traceFile = 0;
  char tracePath[4096];
  if (traceFilePath(tracePath, sizeof tracePath)) traceFile = openTraceFile(tracePath);
  if (traceFile != 0) fprintf(traceFile, "Gonna make Cone.\n");
  buildCone(coneVertices, coneIndices, 10, coneRadius, 10.0f);
  if (traceFile != 0) fprintf(traceFile, "Made Cone.\n");
  return 0;
}

void cutSongTitle(char* title) {
  char* winamp = strstr(title, "Winamp");
  if (winamp != 0 && winamp - title >= 2) winamp[-2] = 0;
}

void formatTimeText(int playMs, char* text) {
  if (playMs == -1) {
    strcpy(text, "Stopped");
    return;
  }
  int seconds = playMs / 1000;
  char full[32];
  snprintf(full, sizeof full, "[%i:%02i]", seconds / 60, seconds % 60);
  // Only a negative answer other than -1 could run past 11 characters.
  full[sizeof timeText - 1] = 0;
  strcpy(text, full);
}

int visRender(VisModule* module) {
  platformOffsetZ = platformDepthAdjust + 36.0f;
  platformOffsetY = platformHeightAdjust;

  songTitle[0] = 0;
  GetWindowTextA(pluginModule.parentWindow, songTitle, sizeof songTitle);
  songTitle[sizeof songTitle - 1] = 0;
  cutSongTitle(songTitle);

  int playMs = (int)SendMessageA(pluginModule.parentWindow, WM_USER, 0, HOST_PLAY_POSITION);
  formatTimeText(playMs, timeText);

  analyzeSpectrum(&pluginModule);
  // After Escape the context is gone; the host may still call us.
  if (displayOpen) drawFrame();
  return 0;
}

void visQuit(VisModule* module) { closeDisplay(&pluginModule); }

void visConfig(VisModule* module) {
  DialogBoxParamA(module->dllInstance, MAKEINTRESOURCEA(IDD_SETTINGS), module->parentWindow,
                  settingsDlgProc, 0);
}
