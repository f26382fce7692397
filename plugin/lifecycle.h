// The four host callbacks and the values of a running display.
#pragma once
#include "plugin/trace_file.h"
#include "plugin/vis.h"

void visConfig(VisModule* module);
int visInit(VisModule* module);
int visRender(VisModule* module);
void visQuit(VisModule* module);

extern int frameCount;
extern char songTitle[130];
extern char timeText[12];

// Cuts "N. Artist - Title - Winamp" after "Title " (in place).
void cutSongTitle(char* title);
// "Stopped" for -1, else "[m:ss]"; never more than 11 characters.
void formatTimeText(int playMs, char* text);
