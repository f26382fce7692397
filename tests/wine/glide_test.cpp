// glide2x.dll under Wine: a representative run of the library as the
// plug-in uses it, through the decorated stdcall imports.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "support.h"
#include "glide/include/glide.h"
#include "glide/include/glideutl.h"
#include "glide/include/velmo_glide.h"
#include "tests/support/plugin_draw_state.h"

namespace {

GrVertex vertex(float x, float y, float a, float oow) {
  GrVertex v;
  std::memset(&v, 0, sizeof v);
  v.x = x;
  v.y = y;
  v.r = v.g = v.b = 1.0f;
  v.a = a;
  v.oow = oow;
  return v;
}

std::vector<FxU32> readFrame() {
  std::vector<FxU32> pixels(640 * 480);
  CHECK(vglReadFrame(GR_BUFFER_BACKBUFFER, pixels.data(), 640));
  return pixels;
}

int presented = 0;
void FX_CALL countFrame(const FxU32*, int width, int height, int, int, void*) {
  if (width == 640 && height == 480) ++presented;
}

void quad(float x0, float y0, float x1, float y1, float a, float oow) {
  GrVertex v[4] = {vertex(x0, y0, a, oow), vertex(x1, y0, a, oow), vertex(x1, y1, a, oow),
                   vertex(x0, y1, a, oow)};
  for (int i = 0; i < 4; ++i) {
    v[i].tmuvtx[0].sow = (i == 1 || i == 2 ? 256.0f : 0.0f) * oow;
    v[i].tmuvtx[0].tow = (i >= 2 ? 256.0f : 0.0f) * oow;
  }
  grDrawTriangle(&v[0], &v[1], &v[2]);
  guDrawTriangleWithClip(&v[0], &v[2], &v[3]);
}

}  // namespace

int main() {
  char dumpDir[MAX_PATH];
  GetTempPathA(MAX_PATH, dumpDir);
  std::strcat(dumpDir, "velmo_glide_dump");
  CreateDirectoryA(dumpDir, nullptr);
  SetEnvironmentVariableA("VELMO_GLIDE_DUMP_DIR", dumpDir);
  _putenv_s("VELMO_GLIDE_DUMP_DIR", dumpDir);

  // The plug-in's opening sequence.
  grGlideInit();
  GrHwConfiguration hw;
  CHECK(grSstQueryHardware(&hw));
  CHECK_EQ(hw.num_sst, 1);
  grSstSelect(0);
  CHECK(grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_75Hz, GR_COLORFORMAT_RGBA,
                     GR_ORIGIN_LOWER_LEFT, 2, 0));
  vglSetPresenter(countFrame, nullptr);

  // Coverage: a full-screen quad counted additively covers each pixel once.
  grColorCombine(GR_COMBINE_FUNCTION_LOCAL, 0, GR_COMBINE_LOCAL_ITERATED, 0, 0);
  grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, 0, GR_COMBINE_LOCAL_ITERATED, 0, 0);
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE);
  grBufferClear(0, 0, 0xFFFF);
  quad(0, 0, 640, 480, 255, 1.0f);
  long total = 0;
  bool once = true;
  for (FxU32 p : readFrame()) {
    total += p & 0xFF;
    once = once && (p & 0xFF) == 1;
  }
  CHECK(once);
  CHECK_EQ(total, 307200L);

  // The display's state: W-buffer "less", texel x alpha, chroma key black.
  usePluginDrawState();

  // A real 3DF file, loaded the way the plug-in's texture loader does it.
  Gu3dfInfo info;
  const char* path = VELMO_TESTDATA_DIR "/3df/light.3df";
  GrMipMapId_t id = GR_NULL_MIPMAP_HANDLE;
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
    CHECK(gu3dfGetInfo(path, &info));
    std::vector<unsigned char> data(info.mem_required);
    info.data = data.data();
    CHECK(gu3dfLoad(path, &info));
    id = guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, int(info.header.width),
                             int(info.header.height), info.header.format, GR_MIPMAP_NEAREST,
                             info.header.small_lod, info.header.large_lod,
                             info.header.aspect_ratio, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP,
                             GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR, 0.0f, FXFALSE);
    CHECK(id != GR_NULL_MIPMAP_HANDLE);
    guTexDownloadMipMap(id, info.data, &info.table.nccTable);
    guTexSource(id);
  } else {
    std::printf("note: %s absent, texture part skipped\n", path);
  }
  CHECK(!gu3dfGetInfo("no such file.3df", &info));

  grBufferClear(0, 0, 0xFFFF);
  quad(100, 100, 300, 300, 255, 1.0f / 10);  // near
  std::vector<FxU32> nearOnly = readFrame();
  quad(100, 100, 300, 300, 255, 1.0f / 100);  // behind: no change
  std::vector<FxU32> afterFar = readFrame();
  CHECK(nearOnly == afterFar);
  if (id != GR_NULL_MIPMAP_HANDLE) {
    int lit = 0;
    for (FxU32 p : nearOnly) lit += p != 0;
    CHECK(lit > 1000);
  }

  // Wild vertices: nothing drawn, nothing broken.
  GrVertex wild[3] = {vertex(1e30f, 5, 255, 0.1f), vertex(-1e30f, 400, 255, -1.0f),
                      vertex(200, 1e38f, 255, 0.0f)};
  grDrawTriangle(&wild[0], &wild[1], &wild[2]);
  guDrawTriangleWithClip(&wild[0], &wild[1], &wild[2]);
  CHECK(readFrame() == afterFar);

  grBufferSwap(1);
  CHECK_EQ(presented, 1);
  CHECK_EQ(vglFrameCount(), 1u);
  FxU16 rgb565[4];
  CHECK(grLfbReadRegion(GR_BUFFER_FRONTBUFFER, 200, 200, 4, 1, 8, rgb565));

  grGlideShutdown();
  grGlideShutdown();  // twice is harmless
  grDrawTriangle(&wild[0], &wild[1], &wild[2]);

  // The dumped frame: a 640 x 480 32-bit BMP.
  char bmp[MAX_PATH];
  std::snprintf(bmp, sizeof bmp, "%s\\frame000000.bmp", dumpDir);
  HANDLE file = CreateFileA(bmp, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  CHECK(file != INVALID_HANDLE_VALUE);
  if (file != INVALID_HANDLE_VALUE) {
    CHECK_EQ(GetFileSize(file, nullptr), DWORD(54 + 640 * 480 * 4));
    CloseHandle(file);
    DeleteFileA(bmp);
  }
  RemoveDirectoryA(dumpDir);

  // No board: the query fails and so does opening.
  _putenv_s("VELMO_GLIDE_NO_BOARD", "1");
  grGlideInit();
  CHECK(!grSstQueryHardware(&hw));
  CHECK(!grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_75Hz, GR_COLORFORMAT_RGBA,
                      GR_ORIGIN_LOWER_LEFT, 2, 0));
  grGlideShutdown();
  return check::finish();
}
