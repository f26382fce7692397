// The popup window that holds the keyboard, and the Glide context with the
// render state every drawing routine relies on.
#include "display/display.h"

#include <cstdlib>
#include <cstring>
#include <glide.h>

VisModule* hostModule;
HWND displayWindow;
int displayOpen;
int displayClosing;

void setSinglePrecision() {
#if defined(__i386__) || defined(__x86_64__)
  unsigned short controlWord;
  __asm__ __volatile__("fninit");
  __asm__ __volatile__("fnstcw %0"
                       : "=m"(controlWord));
  controlWord &= ~0x300;  // precision control 00: 24-bit mantissa
  __asm__ __volatile__("fldcw %0"
                       :
                       : "m"(controlWord));
#endif
}

int fpuControlWord() {
#if defined(__i386__) || defined(__x86_64__)
  unsigned short controlWord;
  __asm__ __volatile__("fnstcw %0"
                       : "=m"(controlWord));
  return controlWord;
#else
  return -1;
#endif
}

int openDisplay(VisModule* module) {
  if (hostModule == 0) hostModule = module;

  WNDCLASSA windowClass;
  memset(&windowClass, 0, sizeof windowClass);
  windowClass.lpfnWndProc = displayWndProc;
  windowClass.hInstance = module->dllInstance;
  windowClass.lpszClassName = DISPLAY_CLASS_NAME;
  if (RegisterClassA(&windowClass) == 0) exit(1);

  displayWindow = CreateWindowExA(0, DISPLAY_CLASS_NAME, module->description, WS_POPUP, 0, 0, 500,
                                  500, module->parentWindow, 0, module->dllInstance, 0);
  ShowWindow(displayWindow, SW_SHOWNORMAL);

  grGlideInit();
  GrHwConfiguration hardware;
  if (!grSstQueryHardware(&hardware)) exit(1);
  grSstSelect(0);
  grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_75Hz, GR_COLORFORMAT_RGBA,
               GR_ORIGIN_LOWER_LEFT, 2, 0);
  displayOpen = 1;

  guTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_ADD);
  grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
  grDepthBufferFunction(GR_CMP_LESS);
  grDepthMask(FXTRUE);
  grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL_ALPHA,
                 GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
  grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_ZERO, GR_COMBINE_LOCAL_ITERATED,
                 GR_COMBINE_OTHER_TEXTURE, FXFALSE);
  grChromakeyMode(GR_CHROMAKEY_ENABLE);
  grChromakeyValue(0);

  setSinglePrecision();
  return 1;
}

int closeDisplay(VisModule* module) {
  displayOpen = 0;
  grGlideShutdown();
  // A popup left over from this run (no Escape) would keep the class
  // registered, and the host's next visInit would then fail to register it
  // and end the host. Its end is the host's doing, not the user's: no quit
  // message for the host's thread.
  if (displayWindow != 0 && IsWindow(displayWindow)) {
    displayClosing = 1;
    DestroyWindow(displayWindow);
    displayClosing = 0;
  }
  return UnregisterClassA(DISPLAY_CLASS_NAME, module->dllInstance);
}
