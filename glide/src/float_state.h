// The floating-point state the pixel arithmetic is exact to the bit in,
// whatever the caller left: SSE rounding to nearest with denormals kept (a
// host's audio code may set flush-to-zero), and on 32-bit x86 the x87 unit at
// full precision (the plug-in sets 24 bits; the C library's functions run
// there). Set on entry to drawing, on every drawing thread, and put back on
// leaving; only written where it differs.
#pragma once

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

namespace glide {

class StandardFloatState {
 public:
  StandardFloatState() {
#if defined(__SSE2__)
    if (mxcsr_ != kMxcsr) _mm_setcsr(kMxcsr);
#endif
#if defined(__i386__)
    __asm__ volatile("fnstcw %0"
                     : "=m"(x87_));
    if (x87_ != kX87) __asm__ volatile("fldcw %0"
                                       :
                                       : "m"(kX87));
#endif
  }
  ~StandardFloatState() {
#if defined(__SSE2__)
    if (mxcsr_ != kMxcsr) _mm_setcsr(mxcsr_);
#endif
#if defined(__i386__)
    if (x87_ != kX87) __asm__ volatile("fldcw %0"
                                       :
                                       : "m"(x87_));
#endif
  }
  StandardFloatState(const StandardFloatState&) = delete;
  StandardFloatState& operator=(const StandardFloatState&) = delete;

 private:
#if defined(__SSE2__)
  static constexpr unsigned kMxcsr = 0x1F80;  // every exception masked, nearest, no flushing
  const unsigned mxcsr_ = _mm_getcsr();
#endif
#if defined(__i386__)
  static constexpr unsigned short kX87 = 0x037F;  // masked, nearest, 64-bit mantissa
  unsigned short x87_ = 0;
#endif
};

}  // namespace glide
