/* glideutl.h: Glide 2 utility operations (3DF files, clipped triangles).
 * Include glide.h first.
 */
#ifndef GLIDEUTL_H_
#define GLIDEUTL_H_

#ifndef GLIDE_H_
#error "include glide.h before glideutl.h"
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Reads the header of a 3DF file: fills info->header and info->mem_required.
 * Returns FXFALSE for a missing, unreadable, damaged or oversized file. */
FX_ENTRY FxBool FX_CALL gu3dfGetInfo(const char* filename, Gu3dfInfo* info);

/* Reads the table and every level's texels into info->data, which the caller
 * has allocated with info->mem_required bytes. 16-bit texels are left in host
 * order. Returns FXFALSE (and reports no partial texture) on any damage. */
FX_ENTRY FxBool FX_CALL gu3dfLoad(const char* filename, Gu3dfInfo* info);

/* Like grDrawTriangle, but clipped to the screen first. */
FX_ENTRY void FX_CALL guDrawTriangleWithClip(const GrVertex* a, const GrVertex* b,
                                             const GrVertex* c);

#ifdef __cplusplus
}
#endif

#endif /* GLIDEUTL_H_ */
