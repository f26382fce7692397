/* glide.h: the Glide 2 API subset this project draws with.
 *
 * Types, constants and operations of the 3dfx Glide 2 interface as far as
 * Velmo uses them, plus the linear-frame-buffer read-back. Usable from C and
 * C++. On 32-bit Windows every operation is __stdcall and lives in
 * glide2x.dll; elsewhere they are plain C functions of libglide2x.so.
 */
#ifndef GLIDE_H_
#define GLIDE_H_

#if defined(_WIN32)
#define FX_CALL __stdcall
#else
#define FX_CALL
#endif

/* glide2x.dll names its exports in a .def file; on POSIX the library hides
 * everything but the API. */
#if defined(_WIN32)
#define FX_ENTRY
#else
#define FX_ENTRY __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- basic types (all 32-bit wide on the Win32 target) ---- */
typedef unsigned char FxU8;
typedef signed char FxI8;
typedef unsigned short FxU16;
typedef signed short FxI16;
typedef unsigned int FxU32;
typedef signed int FxI32;
typedef int FxBool;
typedef float FxFloat;

#define FXTRUE 1
#define FXFALSE 0

typedef FxU32 GrColor_t;
typedef FxU8 GrAlpha_t;
typedef FxU32 GrMipMapId_t;
typedef FxI32 GrChipID_t;
typedef FxI32 GrLOD_t;
typedef FxI32 GrAspectRatio_t;
typedef FxI32 GrTextureFormat_t;
typedef FxI32 GrMipMapMode_t;
typedef FxI32 GrTextureClampMode_t;
typedef FxI32 GrTextureFilterMode_t;
typedef FxI32 GrTextureCombineFnc_t;
typedef FxI32 GrCombineFunction_t;
typedef FxI32 GrCombineFactor_t;
typedef FxI32 GrCombineLocal_t;
typedef FxI32 GrCombineOther_t;
typedef FxI32 GrAlphaBlendFnc_t;
typedef FxI32 GrCmpFnc_t;
typedef FxI32 GrDepthBufferMode_t;
typedef FxI32 GrCullMode_t;
typedef FxI32 GrChromakeyMode_t;
typedef FxI32 GrBuffer_t;
typedef FxI32 GrScreenResolution_t;
typedef FxI32 GrScreenRefresh_t;
typedef FxI32 GrColorFormat_t;
typedef FxI32 GrOriginLocation_t;
typedef FxI32 GrSstType;

#define GR_NULL_MIPMAP_HANDLE ((GrMipMapId_t)-1)

/* ---- vertices ---- */
#define GLIDE_NUM_TMU 2

typedef struct {
  float sow; /* s / w */
  float tow; /* t / w */
  float oow; /* 1 / w for this texture unit */
} GrTmuVertex;

typedef struct {
  float x, y, z; /* screen position; z unused by the W-buffer */
  float r, g, b; /* iterated colour, 0..255 */
  float ooz;     /* 65535 / z for the Z-buffer */
  float a;       /* iterated alpha, 0..255 */
  float oow;     /* 1 / w: W-buffer and perspective */
  GrTmuVertex tmuvtx[GLIDE_NUM_TMU];
} GrVertex;

/* ---- hardware configuration (148 bytes) ---- */
#define MAX_NUM_SST 4
#define GR_SSTTYPE_VOODOO 0
#define GR_SSTTYPE_SST96 1
#define GR_SSTTYPE_AT3D 2
#define GR_SSTTYPE_Voodoo2 3

typedef struct {
  int tmuRev;
  int tmuRam; /* MB */
} GrTMUConfig_t;

typedef struct {
  int fbRam; /* MB */
  int fbiRev;
  int nTexelfx;
  FxBool sliDetect;
  GrTMUConfig_t tmuConfig[GLIDE_NUM_TMU];
} GrVoodooConfig_t;

typedef struct {
  int fbRam;
  int nTexelfx;
  int tmuRev;
} GrSst96Config_t;

typedef struct {
  int rev;
} GrAT3DConfig_t;

typedef struct {
  int num_sst;
  struct {
    GrSstType type;
    union {
      GrVoodooConfig_t VoodooConfig;
      GrSst96Config_t SST96Config;
      GrAT3DConfig_t AT3DConfig;
      GrVoodooConfig_t Voodoo2Config;
    } sstBoard;
  } SSTs[MAX_NUM_SST];
} GrHwConfiguration;

/* ---- 3DF texture files (filled by gu3dfGetInfo / gu3dfLoad) ---- */
typedef struct {
  FxU32 width, height;
  int small_lod, large_lod;
  GrAspectRatio_t aspect_ratio;
  GrTextureFormat_t format;
} Gu3dfHeader;

typedef struct {
  FxU8 yRGB[16];
  FxI16 iRGB[4][3];
  FxI16 qRGB[4][3];
  FxU32 packed_data[12];
} GuNccTable;

typedef struct {
  FxU32 data[256]; /* 0x00RRGGBB, or alpha in the top byte */
} GuTexPalette;

typedef union {
  GuNccTable nccTable;
  GuTexPalette palette;
} GuTexTable;

typedef struct {
  Gu3dfHeader header;
  GuTexTable table;
  void* data;
  FxU32 mem_required;
} Gu3dfInfo;

/* ---- levels of detail: larger numbers are smaller maps ---- */
#define GR_LOD_256 0
#define GR_LOD_128 1
#define GR_LOD_64 2
#define GR_LOD_32 3
#define GR_LOD_16 4
#define GR_LOD_8 5
#define GR_LOD_4 6
#define GR_LOD_2 7
#define GR_LOD_1 8

/* ---- aspect ratios, width:height ---- */
#define GR_ASPECT_8x1 0
#define GR_ASPECT_4x1 1
#define GR_ASPECT_2x1 2
#define GR_ASPECT_1x1 3
#define GR_ASPECT_1x2 4
#define GR_ASPECT_1x4 5
#define GR_ASPECT_1x8 6

/* ---- texel formats ---- */
#define GR_TEXFMT_8BIT 0
#define GR_TEXFMT_RGB_332 0
#define GR_TEXFMT_YIQ_422 1
#define GR_TEXFMT_ALPHA_8 2
#define GR_TEXFMT_INTENSITY_8 3
#define GR_TEXFMT_ALPHA_INTENSITY_44 4
#define GR_TEXFMT_P_8 5
#define GR_TEXFMT_RSVD0 6
#define GR_TEXFMT_RSVD1 7
#define GR_TEXFMT_16BIT 8
#define GR_TEXFMT_ARGB_8332 8
#define GR_TEXFMT_AYIQ_8422 9
#define GR_TEXFMT_RGB_565 10
#define GR_TEXFMT_ARGB_1555 11
#define GR_TEXFMT_ARGB_4444 12
#define GR_TEXFMT_ALPHA_INTENSITY_88 13
#define GR_TEXFMT_AP_88 14
#define GR_TEXFMT_RSVD2 15

/* ---- texture memory and sampling ---- */
#define GR_MIPMAPLEVELMASK_EVEN 1
#define GR_MIPMAPLEVELMASK_ODD 2
#define GR_MIPMAPLEVELMASK_BOTH 3

#define GR_MIPMAP_DISABLE 0
#define GR_MIPMAP_NEAREST 1
#define GR_MIPMAP_NEAREST_DITHER 2

#define GR_TEXTURECLAMP_WRAP 0
#define GR_TEXTURECLAMP_CLAMP 1

#define GR_TEXTUREFILTER_POINT_SAMPLED 0
#define GR_TEXTUREFILTER_BILINEAR 1

#define GR_TMU0 0
#define GR_TMU1 1
#define GR_TMU2 2

/* ---- texture combine ---- */
#define GR_TEXTURECOMBINE_ZERO 0
#define GR_TEXTURECOMBINE_DECAL 1
#define GR_TEXTURECOMBINE_OTHER 2
#define GR_TEXTURECOMBINE_ADD 3
#define GR_TEXTURECOMBINE_MULTIPLY 4
#define GR_TEXTURECOMBINE_SUBTRACT 5
#define GR_TEXTURECOMBINE_DETAIL 6
#define GR_TEXTURECOMBINE_DETAIL_OTHER 7
#define GR_TEXTURECOMBINE_TRILINEAR_ODD 8
#define GR_TEXTURECOMBINE_TRILINEAR_EVEN 9
#define GR_TEXTURECOMBINE_ONE 10

/* ---- colour and alpha combine ---- */
#define GR_COMBINE_FUNCTION_ZERO 0x0
#define GR_COMBINE_FUNCTION_NONE GR_COMBINE_FUNCTION_ZERO
#define GR_COMBINE_FUNCTION_LOCAL 0x1
#define GR_COMBINE_FUNCTION_LOCAL_ALPHA 0x2
#define GR_COMBINE_FUNCTION_SCALE_OTHER 0x3
#define GR_COMBINE_FUNCTION_BLEND_OTHER GR_COMBINE_FUNCTION_SCALE_OTHER
#define GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL 0x4
#define GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA 0x5
#define GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL 0x6
#define GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL 0x7
#define GR_COMBINE_FUNCTION_BLEND GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL
#define GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA 0x8
#define GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL 0x9
#define GR_COMBINE_FUNCTION_BLEND_LOCAL GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL
#define GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA 0x10

#define GR_COMBINE_FACTOR_ZERO 0x0
#define GR_COMBINE_FACTOR_NONE GR_COMBINE_FACTOR_ZERO
#define GR_COMBINE_FACTOR_LOCAL 0x1
#define GR_COMBINE_FACTOR_OTHER_ALPHA 0x2
#define GR_COMBINE_FACTOR_LOCAL_ALPHA 0x3
#define GR_COMBINE_FACTOR_TEXTURE_ALPHA 0x4
#define GR_COMBINE_FACTOR_TEXTURE_RGB 0x5
#define GR_COMBINE_FACTOR_DETAIL_FACTOR GR_COMBINE_FACTOR_TEXTURE_ALPHA
#define GR_COMBINE_FACTOR_LOD_FRACTION 0x5
#define GR_COMBINE_FACTOR_ONE 0x8
#define GR_COMBINE_FACTOR_ONE_MINUS_LOCAL 0x9
#define GR_COMBINE_FACTOR_ONE_MINUS_OTHER_ALPHA 0xa
#define GR_COMBINE_FACTOR_ONE_MINUS_LOCAL_ALPHA 0xb
#define GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA 0xc
#define GR_COMBINE_FACTOR_ONE_MINUS_DETAIL_FACTOR GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA
#define GR_COMBINE_FACTOR_ONE_MINUS_LOD_FRACTION 0xd

#define GR_COMBINE_LOCAL_ITERATED 0x0
#define GR_COMBINE_LOCAL_CONSTANT 0x1
#define GR_COMBINE_LOCAL_NONE GR_COMBINE_LOCAL_CONSTANT
#define GR_COMBINE_LOCAL_DEPTH 0x2

#define GR_COMBINE_OTHER_ITERATED 0x0
#define GR_COMBINE_OTHER_TEXTURE 0x1
#define GR_COMBINE_OTHER_CONSTANT 0x2
#define GR_COMBINE_OTHER_NONE GR_COMBINE_OTHER_CONSTANT

/* ---- alpha blending ---- */
#define GR_BLEND_ZERO 0x0
#define GR_BLEND_SRC_ALPHA 0x1
#define GR_BLEND_SRC_COLOR 0x2
#define GR_BLEND_DST_COLOR GR_BLEND_SRC_COLOR
#define GR_BLEND_DST_ALPHA 0x3
#define GR_BLEND_ONE 0x4
#define GR_BLEND_ONE_MINUS_SRC_ALPHA 0x5
#define GR_BLEND_ONE_MINUS_SRC_COLOR 0x6
#define GR_BLEND_ONE_MINUS_DST_COLOR GR_BLEND_ONE_MINUS_SRC_COLOR
#define GR_BLEND_ONE_MINUS_DST_ALPHA 0x7
#define GR_BLEND_RESERVED_8 0x8
#define GR_BLEND_RESERVED_9 0x9
#define GR_BLEND_RESERVED_A 0xa
#define GR_BLEND_RESERVED_B 0xb
#define GR_BLEND_RESERVED_C 0xc
#define GR_BLEND_RESERVED_D 0xd
#define GR_BLEND_RESERVED_E 0xe
#define GR_BLEND_ALPHA_SATURATE 0xf
#define GR_BLEND_PREFOG_COLOR GR_BLEND_ALPHA_SATURATE

/* ---- depth ---- */
#define GR_CMP_NEVER 0
#define GR_CMP_LESS 1
#define GR_CMP_EQUAL 2
#define GR_CMP_LEQUAL 3
#define GR_CMP_GREATER 4
#define GR_CMP_NOTEQUAL 5
#define GR_CMP_GEQUAL 6
#define GR_CMP_ALWAYS 7

#define GR_DEPTHBUFFER_DISABLE 0x0
#define GR_DEPTHBUFFER_ZBUFFER 0x1
#define GR_DEPTHBUFFER_WBUFFER 0x2
#define GR_DEPTHBUFFER_ZBUFFER_COMPARE_TO_BIAS 0x3
#define GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS 0x4

/* ---- culling, chroma key, buffers ---- */
#define GR_CULL_DISABLE 0
#define GR_CULL_NEGATIVE 1
#define GR_CULL_POSITIVE 2

#define GR_CHROMAKEY_DISABLE 0
#define GR_CHROMAKEY_ENABLE 1

#define GR_BUFFER_FRONTBUFFER 0
#define GR_BUFFER_BACKBUFFER 1
#define GR_BUFFER_AUXBUFFER 2
#define GR_BUFFER_DEPTHBUFFER 3
#define GR_BUFFER_ALPHABUFFER 4
#define GR_BUFFER_TRIPLEBUFFER 5

/* ---- screen set-up ---- */
#define GR_RESOLUTION_320x200 0x0
#define GR_RESOLUTION_320x240 0x1
#define GR_RESOLUTION_400x256 0x2
#define GR_RESOLUTION_512x384 0x3
#define GR_RESOLUTION_640x200 0x4
#define GR_RESOLUTION_640x350 0x5
#define GR_RESOLUTION_640x400 0x6
#define GR_RESOLUTION_640x480 0x7
#define GR_RESOLUTION_800x600 0x8

#define GR_REFRESH_60Hz 0x0
#define GR_REFRESH_70Hz 0x1
#define GR_REFRESH_72Hz 0x2
#define GR_REFRESH_75Hz 0x3
#define GR_REFRESH_80Hz 0x4
#define GR_REFRESH_85Hz 0x5

#define GR_COLORFORMAT_ARGB 0x0
#define GR_COLORFORMAT_ABGR 0x1
#define GR_COLORFORMAT_RGBA 0x2
#define GR_COLORFORMAT_BGRA 0x3

#define GR_ORIGIN_UPPER_LEFT 0x0
#define GR_ORIGIN_LOWER_LEFT 0x1

/* ---- operations ---- */
FX_ENTRY void FX_CALL grGlideInit(void);
FX_ENTRY void FX_CALL grGlideShutdown(void);
FX_ENTRY FxBool FX_CALL grSstQueryHardware(GrHwConfiguration* hwconfig);
FX_ENTRY void FX_CALL grSstSelect(int which_sst);
FX_ENTRY FxBool FX_CALL grSstWinOpen(FxU32 hWnd, GrScreenResolution_t resolution,
                                     GrScreenRefresh_t refresh, GrColorFormat_t format,
                                     GrOriginLocation_t origin, int nColBuffers,
                                     int nAuxBuffers);

FX_ENTRY void FX_CALL grBufferClear(GrColor_t color, GrAlpha_t alpha, FxU16 depth);
FX_ENTRY void FX_CALL grBufferSwap(int swap_interval);

FX_ENTRY void FX_CALL grColorCombine(GrCombineFunction_t function, GrCombineFactor_t factor,
                                     GrCombineLocal_t local, GrCombineOther_t other,
                                     FxBool invert);
FX_ENTRY void FX_CALL grAlphaCombine(GrCombineFunction_t function, GrCombineFactor_t factor,
                                     GrCombineLocal_t local, GrCombineOther_t other,
                                     FxBool invert);
FX_ENTRY void FX_CALL grConstantColorValue(GrColor_t value);
FX_ENTRY void FX_CALL grAlphaBlendFunction(GrAlphaBlendFnc_t rgb_sf, GrAlphaBlendFnc_t rgb_df,
                                           GrAlphaBlendFnc_t alpha_sf,
                                           GrAlphaBlendFnc_t alpha_df);
FX_ENTRY void FX_CALL grChromakeyMode(GrChromakeyMode_t mode);
FX_ENTRY void FX_CALL grChromakeyValue(GrColor_t value);
FX_ENTRY void FX_CALL grCullMode(GrCullMode_t mode);
FX_ENTRY void FX_CALL grDepthBufferMode(GrDepthBufferMode_t mode);
FX_ENTRY void FX_CALL grDepthBufferFunction(GrCmpFnc_t function);
FX_ENTRY void FX_CALL grDepthMask(FxBool enable);

FX_ENTRY void FX_CALL grDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c);

FX_ENTRY FxBool FX_CALL grLfbReadRegion(GrBuffer_t src_buffer, FxU32 src_x, FxU32 src_y,
                                        FxU32 src_width, FxU32 src_height, FxU32 dst_stride,
                                        void* dst_data);

FX_ENTRY GrMipMapId_t FX_CALL guTexAllocateMemory(
    GrChipID_t tmu, FxU8 evenOddMask, int width, int height, GrTextureFormat_t fmt,
    GrMipMapMode_t mmMode, GrLOD_t smallLod, GrLOD_t largeLod, GrAspectRatio_t aspect,
    GrTextureClampMode_t sClampMode, GrTextureClampMode_t tClampMode,
    GrTextureFilterMode_t minFilterMode, GrTextureFilterMode_t magFilterMode, float lodBias,
    FxBool trilinear);
FX_ENTRY void FX_CALL guTexDownloadMipMap(GrMipMapId_t mmid, const void* src,
                                          const GuNccTable* table);
FX_ENTRY void FX_CALL guTexSource(GrMipMapId_t mmid);
FX_ENTRY void FX_CALL guTexCombineFunction(GrChipID_t tmu, GrTextureCombineFnc_t tc);

#ifdef __cplusplus
}
#endif

#endif /* GLIDE_H_ */
