// The four host callbacks and the values of a running display.
#pragma once
#include <cstdio>
#include "plugin/vis.h"

void visConfig(VisModule* module);
int visInit(VisModule* module);
int visRender(VisModule* module);
void visQuit(VisModule* module);

extern int frameCount;
extern char songTitle[130];
extern char timeText[12];
extern FILE* traceFile;

// Cuts "N. Artist - Title - Winamp" after "Title " (in place).
void cutSongTitle(char* title);
// "Stopped" for -1, else "[m:ss]"; never more than 11 characters.
void formatTimeText(int playMs, char* text);
// Where the trace file goes: "c:\coords.txt" on Windows; on POSIX
// $VELMO_TRACE_FILE, else coords.txt in $XDG_RUNTIME_DIR, else in /tmp.
void traceFilePath(char* path, int pathSize);
