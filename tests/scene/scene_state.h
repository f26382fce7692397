// Puts every piece of scene state back to how it stands when the plug-in is
// loaded, so each test starts from a known frame whatever ran before it.
#pragma once

#include <cstring>

#include "scene/scene.h"

inline void setAllOptions(unsigned char on) {
  for (const SettingsOption& option : settingsOptions) *option.flag = on;
}

inline void resetSceneState() {
  setAllOptions(1);
  std::memset(bandLevel, 0, sizeof bandLevel);
  std::memset(heldLevel, 0, sizeof heldLevel);
  std::memset(fallingLevel, 0, sizeof fallingLevel);
  std::memset(holdCount, 0, sizeof holdCount);
  std::memset(backVertex, 0, sizeof backVertex);
  platformSpin = platformRoll = platformTilt = 0.0f;
  logoAngles[0] = logoAngles[1] = logoAngles[2] = 0.0f;
  tiltAngle = turnAngle = 0.0f;
  spinDirection = false;
  platformOffsetX = platformOffsetY = 0.0f;
  platformOffsetZ = 36.0f;
  std::memset(displayTitle, 0, sizeof displayTitle);
  revealLen = 1;
  titleFade = 180;
  revealDone = false;
  frameCount = 0;
  std::strcpy(songTitle, "");
  std::strcpy(timeText, "Stopped");
  buildCone(coneVertices, coneIndices, coneSides, coneRadius, 10.0f);
}
