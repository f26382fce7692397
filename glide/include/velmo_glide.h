/* velmo_glide.h: Velmo's own extensions to its software Glide 2.
 *
 * Nothing here is part of Glide; a program that wants to run on another
 * Glide 2 must treat these as optional (look them up at run time). All
 * functions have C linkage and the Glide calling convention (FX_CALL), and
 * so do the callbacks they take.
 *
 * Settings that shape the frame buffer (scale) take effect at the next
 * grSstWinOpen; the others at once.
 *
 * Environment variables read by grGlideInit, after glide2x.ini beside the
 * Windows DLL (see glide/README.md), which they override:
 *   VELMO_GLIDE_NO_BOARD=1      grSstQueryHardware reports no board
 *   VELMO_GLIDE_TEXMEM=<bytes>  texture memory per unit (default 2 MB)
 *   VELMO_GLIDE_SCALE=<1..4>    as vglSetScale; auto: chosen at grSstWinOpen
 *   VELMO_GLIDE_DITHER=1        as vglSetDither(1); 0 turns it off
 *   VELMO_GLIDE_DUMP_DIR=<dir>  write frames as BMP files into <dir>
 *   VELMO_GLIDE_DUMP_EVERY=<n>  only every n-th frame (default 1)
 *   VELMO_GLIDE_THREADS=<n>     as vglSetThreads(n)
 *   VELMO_GLIDE_WINDOW=0        Win32 only: no window of its own
 *   VELMO_GLIDE_FULLSCREEN=1    Win32 only: the window opens full screen
 *   VELMO_GLIDE_KERNEL=<level>  at most this pixel kernel: portable, sse2
 *                               (simd128), avx2, avx512 (see glide/README.md)
 */
#ifndef VELMO_GLIDE_H_
#define VELMO_GLIDE_H_

#include "glide.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- texel formats ---- */

/* 32-bit ARGB texels (3DF format name "argb8888", big-endian in the file).
 * Not a Glide 2 format: a real board has no such texels. */
#define VGL_TEXFMT_ARGB_8888 0x10

/* ---- presentation ---- */

/* Receives each finished frame at grBufferSwap: 0x00RRGGBB pixels, top row
 * first, `stride` pixels from one row to the next. The pixels are valid only
 * during the call. */
typedef void(FX_CALL* VglPresentFn)(const FxU32* pixels, int width, int height, int stride,
                                    int swapInterval, void* user);

/* NULL removes the presenter; frames are then only kept for read-back. */
FX_ENTRY void FX_CALL vglSetPresenter(VglPresentFn fn, void* user);

/* Renders at factor x 640 x 480 (1..4; others are ignored). Vertex positions
 * are scaled, so the picture is the same, only sharper. */
FX_ENTRY void FX_CALL vglSetScale(int factor);
FX_ENTRY int FX_CALL vglGetScale(void);

/* 1: the board's look, RGB565 with 4x4 ordered dithering; 0 (default):
 * 8 bits per channel. */
FX_ENTRY void FX_CALL vglSetDither(int enable);

/* Texture memory per texture unit in bytes (default 2 MB, a Voodoo 1's).
 * Applies to allocations made after the call. */
FX_ENTRY void FX_CALL vglSetTextureMemory(FxU32 bytes);

/* Size of the buffers in pixels (scale x 640 x 480 once open, else 0). */
FX_ENTRY void FX_CALL vglGetFrameSize(int* width, int* height);

/* Copies a colour buffer (GR_BUFFER_FRONTBUFFER: the last swapped frame,
 * GR_BUFFER_BACKBUFFER: the one being drawn) as 0x00RRGGBB, top row first,
 * into dst with dstStride pixels per row. FXFALSE when no buffer is open. */
FX_ENTRY FxBool FX_CALL vglReadFrame(GrBuffer_t buffer, FxU32* dst, FxU32 dstStride);

/* Number of grBufferSwap calls since grSstWinOpen. */
FX_ENTRY FxU32 FX_CALL vglFrameCount(void);

/* ---- drawing threads ---- */

/* Draws with n threads (0, the default: one per processor). With 1 every
 * triangle is drawn when it is submitted; with more, triangles are collected
 * into screen tiles and drawn by worker threads when a swap, a read of the
 * buffers or a texture download needs them. The pictures are the same to
 * the bit. Takes effect at once (queued work is drawn first) and stays for
 * later windows; every thread ends at grGlideShutdown. */
FX_ENTRY void FX_CALL vglSetThreads(int threads);
/* Threads drawing in the open window (1 without workers), 0 when none is open. */
FX_ENTRY int FX_CALL vglGetThreads(void);

/* ---- recording every Glide call, for tests ---- */

#define VGL_MAX_ARGS 16

typedef struct {
  const char* name;          /* "grDrawTriangle", ... */
  int argCount;              /* numeric arguments, in order */
  double args[VGL_MAX_ARGS]; /* integers and floats, exactly as passed */
  int vertexCount;           /* 3 for the triangle calls, else 0 */
  GrVertex vertices[3];      /* copies of the vertices passed */
  const char* text;          /* the file name of gu3df* calls, else NULL */
} VglCall;

typedef void(FX_CALL* VglRecordFn)(const VglCall* call, void* user);

/* From now on every Glide call is reported to fn before it takes effect
 * (pointer arguments other than vertices and file names are left out).
 * Only one recorder at a time; a new one replaces the old. */
FX_ENTRY void FX_CALL vglRecordBegin(VglRecordFn fn, void* user);
FX_ENTRY void FX_CALL vglRecordEnd(void);

#ifdef __cplusplus
}
#endif

#endif /* VELMO_GLIDE_H_ */
