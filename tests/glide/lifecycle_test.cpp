// Library life: init and shutdown in any order, the board query, texture
// memory, presentation, scale, read-back and call recording.
#include <cstdlib>
#include <cstring>

#include "glide_fixture.h"
#include "velmo_glide_recorder.h"

namespace glidetest {
namespace {

static_assert(sizeof(GrHwConfiguration) == 148, "a real library fills 148 bytes");
static_assert(sizeof(GrVertex) == 60, "15 floats");
static_assert(sizeof(GuTexTable) == 1024, "palette or NCC table");

int nonZeroPixels() {
  int w = 0, h = 0;
  vglGetFrameSize(&w, &h);
  if (w == 0) return -1;
  std::vector<FxU32> f(size_t(w) * h);
  vglReadFrame(GR_BUFFER_BACKBUFFER, f.data(), FxU32(w));
  int n = 0;
  for (FxU32 p : f) n += p != 0;
  return n;
}

void openDefault() {
  grGlideInit();
  GrHwConfiguration hw;
  ASSERT_TRUE(grSstQueryHardware(&hw));
  grSstSelect(0);
  ASSERT_TRUE(grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_75Hz, GR_COLORFORMAT_RGBA,
                           GR_ORIGIN_LOWER_LEFT, 2, 0));
}

TEST(Lifecycle, CallsOutsideAnOpenContextAreHarmless) {
  GrVertex a = vertex(0, 0), b = vertex(100, 0), c = vertex(0, 100);
  FxU16 pixel = 0;
  // Before grGlideInit.
  grDrawTriangle(&a, &b, &c);
  grBufferClear(0xFFFFFF, 0, 0);
  grBufferSwap(1);
  EXPECT_FALSE(grLfbReadRegion(GR_BUFFER_FRONTBUFFER, 0, 0, 1, 1, 2, &pixel));
  EXPECT_EQ(guTexAllocateMemory(0, 3, 8, 8, GR_TEXFMT_RGB_565, 0, GR_LOD_8, GR_LOD_8, GR_ASPECT_1x1,
                                0, 0, 0, 0, 0, 0),
            GR_NULL_MIPMAP_HANDLE);
  grGlideShutdown();
  // Open, shut down twice, then draw again.
  openDefault();
  grGlideShutdown();
  grGlideShutdown();
  grDrawTriangle(&a, &b, &c);
  guDrawTriangleWithClip(&a, &b, &c);
  grBufferSwap(1);
  EXPECT_EQ(nonZeroPixels(), -1);
  // And the library comes back.
  openDefault();
  grColorCombine(GR_COMBINE_FUNCTION_LOCAL, 0, GR_COMBINE_LOCAL_ITERATED, 0, 0);
  grDrawTriangle(&a, &b, &c);
  EXPECT_GT(nonZeroPixels(), 4000);
  grGlideShutdown();
}

TEST(Lifecycle, QueryFillsTheWholeRecordForOneVoodoo) {
  grGlideInit();
  GrHwConfiguration hw;
  std::memset(&hw, 0xAB, sizeof hw);
  ASSERT_TRUE(grSstQueryHardware(&hw));
  EXPECT_EQ(hw.num_sst, 1);
  EXPECT_EQ(hw.SSTs[0].type, GR_SSTTYPE_VOODOO);
  EXPECT_EQ(hw.SSTs[0].sstBoard.VoodooConfig.nTexelfx, 1);
  EXPECT_EQ(hw.SSTs[0].sstBoard.VoodooConfig.tmuConfig[0].tmuRam, 2);
  EXPECT_EQ(hw.SSTs[3].type, 0);  // the last bytes are written too
  grGlideShutdown();
}

TEST(Lifecycle, NoBoardSettingMakesTheQueryFail) {
  setenv("VELMO_GLIDE_NO_BOARD", "1", 1);
  grGlideInit();
  GrHwConfiguration hw;
  EXPECT_FALSE(grSstQueryHardware(&hw));
  EXPECT_EQ(hw.num_sst, 0);
  EXPECT_FALSE(grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_75Hz, GR_COLORFORMAT_RGBA,
                            GR_ORIGIN_LOWER_LEFT, 2, 0));
  grGlideShutdown();
  unsetenv("VELMO_GLIDE_NO_BOARD");
}

GrMipMapId_t allocate256() {
  return guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, 256, 256, GR_TEXFMT_RGB_565,
                             GR_MIPMAP_NEAREST, GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1,
                             GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP,
                             GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR, 0, 0);
}

TEST(TextureMemory, TwoMegabytesHoldElevenFullMipmappedRgb565Maps) {
  openDefault();
  // 256 x 256 x 2 bytes with all levels: 174,762 bytes, rounded to 174,768.
  for (int i = 0; i < 11; ++i) EXPECT_NE(allocate256(), GR_NULL_MIPMAP_HANDLE) << i;
  EXPECT_EQ(allocate256(), GR_NULL_MIPMAP_HANDLE);
  // Small maps still fit in what is left (2,097,152 - 11 x 174,768 = 174,704).
  EXPECT_NE(guTexAllocateMemory(0, 3, 2, 2, GR_TEXFMT_RGB_565, 0, GR_LOD_1, GR_LOD_2,
                                GR_ASPECT_1x1, 0, 0, 0, 0, 0, 0),
            GR_NULL_MIPMAP_HANDLE);
  grGlideShutdown();
  // The shutdown frees it all.
  openDefault();
  EXPECT_NE(allocate256(), GR_NULL_MIPMAP_HANDLE);
  grGlideShutdown();
}

TEST(TextureMemory, BudgetIsSettableByCallAndEnvironment) {
  vglSetTextureMemory(200000);
  openDefault();
  EXPECT_NE(allocate256(), GR_NULL_MIPMAP_HANDLE);
  EXPECT_EQ(allocate256(), GR_NULL_MIPMAP_HANDLE);
  grGlideShutdown();
  vglSetTextureMemory(2u << 20);
  setenv("VELMO_GLIDE_TEXMEM", "100000", 1);
  openDefault();
  EXPECT_EQ(allocate256(), GR_NULL_MIPMAP_HANDLE);
  grGlideShutdown();
  unsetenv("VELMO_GLIDE_TEXMEM");
  vglSetTextureMemory(2u << 20);
}

TEST(TextureMemory, EvenLevelsOnlyTakeAndReadJustThoseLevels) {
  // Even LODs 256, 64, 16, 4 and 1 of RGB565: 139,810 bytes, rounded to 8.
  vglSetTextureMemory(139816);
  openDefault();
  GrMipMapId_t id = guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_EVEN, 256, 256,
                                        GR_TEXFMT_RGB_565, GR_MIPMAP_NEAREST, GR_LOD_1, GR_LOD_256,
                                        GR_ASPECT_1x1, 0, 0, 1, 1, 0, 0);
  ASSERT_NE(id, GR_NULL_MIPMAP_HANDLE);
  // Levels 256, 64, 16, 4, 1: exactly that many texels, no more (the
  // sanitizer build would see a read past them).
  std::vector<FxU16> even(256 * 256 + 64 * 64 + 16 * 16 + 4 * 4 + 1, 0xFFFF);
  guTexDownloadMipMap(id, even.data(), nullptr);
  grGlideShutdown();
  vglSetTextureMemory(2u << 20);
}

TEST(TextureMemory, InconsistentRequestsAreRefused) {
  openDefault();
  auto alloc = [](int tmu, int w, int h, int fmt, int small, int large, int aspect) {
    return guTexAllocateMemory(tmu, 3, w, h, fmt, 1, small, large, aspect, 0, 0, 1, 1, 0, 0);
  };
  EXPECT_EQ(alloc(1, 256, 256, GR_TEXFMT_RGB_565, 8, 0, 3), GR_NULL_MIPMAP_HANDLE);  // no 2nd unit
  EXPECT_EQ(alloc(0, 256, 256, 7, 8, 0, 3), GR_NULL_MIPMAP_HANDLE);                  // format
  EXPECT_EQ(alloc(0, 256, 256, GR_TEXFMT_RGB_565, 0, 8, 3), GR_NULL_MIPMAP_HANDLE);  // lod order
  EXPECT_EQ(alloc(0, 128, 256, GR_TEXFMT_RGB_565, 8, 0, 3), GR_NULL_MIPMAP_HANDLE);  // size
  EXPECT_EQ(alloc(0, 256, 256, GR_TEXFMT_RGB_565, 8, 0, 9), GR_NULL_MIPMAP_HANDLE);  // aspect
  EXPECT_NE(alloc(0, 256, 32, GR_TEXFMT_RGB_565, 8, 0, GR_ASPECT_8x1), GR_NULL_MIPMAP_HANDLE);
  grGlideShutdown();
}

struct Frame {
  int count = 0, width = 0, height = 0, interval = 0;
  FxU32 topLeft = 0, bottomLeft = 0;
};

void FX_CALL keepFrame(const FxU32* pixels, int width, int height, int stride, int interval,
                       void* user) {
  Frame* f = static_cast<Frame*>(user);
  ++f->count;
  f->width = width;
  f->height = height;
  f->interval = interval;
  f->topLeft = pixels[0];
  f->bottomLeft = pixels[size_t(height - 1) * stride];
}

TEST(Presentation, PresenterGetsEachSwappedFrameTopRowFirst) {
  Frame frame;
  vglSetPresenter(keepFrame, &frame);
  openDefault();
  grColorCombine(GR_COMBINE_FUNCTION_LOCAL, 0, GR_COMBINE_LOCAL_ITERATED, 0, 0);
  grBufferClear(0, 0, 0xFFFF);
  // A red triangle over the bottom-left corner (y up).
  GrVertex a = coloured(0, 0, 255, 0, 0), b = coloured(50, 0, 255, 0, 0), c = coloured(0, 50, 255, 0, 0);
  grDrawTriangle(&a, &b, &c);
  grBufferSwap(1);
  EXPECT_EQ(frame.count, 1);
  EXPECT_EQ(frame.width, 640);
  EXPECT_EQ(frame.height, 480);
  EXPECT_EQ(frame.interval, 1);
  EXPECT_EQ(frame.bottomLeft, 0xFF0000u);
  EXPECT_EQ(frame.topLeft, 0u);
  // The same frame through the 16-bit read-back, in window coordinates.
  FxU16 rgb565 = 0;
  ASSERT_TRUE(grLfbReadRegion(GR_BUFFER_FRONTBUFFER, 0, 0, 1, 1, 2, &rgb565));
  EXPECT_EQ(rgb565, 0xF800);
  EXPECT_FALSE(grLfbReadRegion(GR_BUFFER_FRONTBUFFER, 600, 0, 41, 1, 82, &rgb565));
  EXPECT_EQ(vglFrameCount(), 1u);
  vglSetPresenter(nullptr, nullptr);
  grBufferSwap(1);
  EXPECT_EQ(frame.count, 1);
  grGlideShutdown();
}

TEST(Presentation, ScaleRendersTheSamePictureAtHigherResolution) {
  vglSetScale(2);
  openDefault();
  int w = 0, h = 0;
  vglGetFrameSize(&w, &h);
  EXPECT_EQ(w, 1280);
  EXPECT_EQ(h, 960);
  grColorCombine(GR_COMBINE_FUNCTION_LOCAL, 0, GR_COMBINE_LOCAL_ITERATED, 0, 0);
  grBufferClear(0, 0, 0xFFFF);
  GrVertex v[4] = {vertex(10, 10), vertex(20, 10), vertex(20, 20), vertex(10, 20)};
  grDrawTriangle(&v[0], &v[1], &v[2]);
  grDrawTriangle(&v[0], &v[2], &v[3]);
  EXPECT_EQ(nonZeroPixels(), 400);  // 10 x 10 screen pixels, 2 x 2 each
  grGlideShutdown();
  vglSetScale(1);
}

TEST(Recording, ReportsEveryCallInOrderWithArgumentsAndVertices) {
  vgl::CallRecorder calls;
  openDefault();
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
  GrVertex a = vertex(1, 2, 30, 0.5f), b = vertex(4, 5, 60), c = vertex(7, 8, 90);
  guDrawTriangleWithClip(&a, &b, &c);
  grBufferSwap(1);
  grGlideShutdown();
  EXPECT_EQ(calls.names(), (std::vector<std::string>{
                               "grGlideInit", "grSstQueryHardware", "grSstSelect", "grSstWinOpen",
                               "grAlphaBlendFunction", "guDrawTriangleWithClip", "grBufferSwap",
                               "grGlideShutdown"}));
  EXPECT_EQ(calls.named("grSstWinOpen")[0].args, (std::vector<double>{0, 7, 3, 2, 1, 2, 0}));
  EXPECT_EQ(calls.named("grAlphaBlendFunction")[0].args, (std::vector<double>{4, 4, 4, 0}));
  auto tri = calls.named("guDrawTriangleWithClip")[0];
  ASSERT_EQ(tri.vertices.size(), 3u);
  EXPECT_EQ(tri.vertices[0].a, 30.0f);
  EXPECT_EQ(tri.vertices[0].oow, 0.5f);
  EXPECT_EQ(tri.vertices[2].y, 8.0f);
}

}  // namespace
}  // namespace glidetest
