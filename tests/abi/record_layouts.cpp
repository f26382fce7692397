// The records the plug-in shares with its host and with any glide2x.dll, as
// the 32-bit Windows build lays them out. Compiled, never run, by the abi
// tests of that build, so that a machine whose kernel runs no 32-bit program
// checks them too. plugin/vis.h asserts the host's two records itself.
#include <windows.h>

#include <cstddef>

#include "plugin/vis.h"
#include <glide.h>
#include <glideutl.h>

static_assert(sizeof(void*) == 4, "compiled for 32-bit Windows");

// Glide's vertex: 15 floats, the texture units' s/w, t/w, 1/w after oow.
static_assert(sizeof(GrTmuVertex) == 12, "GrTmuVertex is 12 bytes");
static_assert(offsetof(GrVertex, ooz) == 24 && offsetof(GrVertex, a) == 28, "ooz at 24, a at 28");
static_assert(offsetof(GrVertex, oow) == 32 && offsetof(GrVertex, tmuvtx) == 36, "oow at 32");
static_assert(sizeof(GrVertex) == 60, "GrVertex is 60 bytes");

// A real library fills all 148 bytes: the count, then four boards of 36.
static_assert(sizeof(GrVoodooConfig_t) == 32, "the largest board record is 32 bytes");
static_assert(offsetof(GrHwConfiguration, SSTs) == 4, "boards from 4");
static_assert(sizeof(GrHwConfiguration::SSTs[0]) == 36, "a board is 36 bytes");
static_assert(sizeof(GrHwConfiguration) == 148, "GrHwConfiguration is 148 bytes");

// What gu3dfGetInfo and gu3dfLoad fill.
static_assert(sizeof(Gu3dfHeader) == 24, "Gu3dfHeader is 24 bytes");
static_assert(offsetof(GuNccTable, iRGB) == 16 && offsetof(GuNccTable, packed_data) == 64,
              "NCC table: Y, I, Q, packed");
static_assert(sizeof(GuNccTable) == 112, "GuNccTable is 112 bytes");
static_assert(sizeof(GuTexTable) == 1024, "GuTexTable is a palette's 1024 bytes");
static_assert(offsetof(Gu3dfInfo, table) == 24 && offsetof(Gu3dfInfo, data) == 1048, "data at 1048");
static_assert(offsetof(Gu3dfInfo, mem_required) == 1052 && sizeof(Gu3dfInfo) == 1056,
              "Gu3dfInfo is 1056 bytes");
