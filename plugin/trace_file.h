// The diagnostic trace file: two lines around the cone-mesh build.
#pragma once
#include <cstdio>

extern FILE* traceFile;

// Where the trace goes: "c:\coords.txt" on Windows. On POSIX only places of
// the user's own: $VELMO_TRACE_FILE; else coords.txt in $XDG_RUNTIME_DIR;
// else in $XDG_CACHE_HOME/velmo or ~/.cache/velmo, which is made (for the
// user alone) when missing. Returns 0, with path empty, when there is no
// such place or its name does not fit.
int traceFilePath(char* path, int pathSize);
// Creates or empties the file at path and returns it, or null when it cannot
// be. On POSIX the file is readable by the user alone, and a symbolic link
// in its place is not followed.
FILE* openTraceFile(const char* path);
