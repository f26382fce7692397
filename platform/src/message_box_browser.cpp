// MessageBoxA's box in the web page: a modal over the page. The calling code
// waits, as on Win32; the page goes on (animation, sound) meanwhile.
#include <windows.h>

#include <emscripten.h>

#include <vector>

#include "message_box_backend.h"

extern "C" {
// browser_library.js: opens the modal and returns its number, or 0 when the
// page cannot show one; the answer reads 0 until the user has given it.
int velmoBrowserMessageBoxOpen(const char* text, const char* caption, unsigned icon,
                               const int* buttons, int buttonCount, int defaultAnswer,
                               int dismissAnswer);
int velmoBrowserMessageBoxAnswer(int box);
}

namespace velmo_win32::message_box {

int showToUser(LPCSTR text, LPCSTR caption, UINT type) {
  const std::vector<int> buttons = buttonsOf(type);
  const int box = velmoBrowserMessageBoxOpen(text, caption, type & MB_ICONMASK, buttons.data(),
                                             static_cast<int>(buttons.size()), defaultAnswer(type),
                                             dismissAnswer(type));
  if (!box) return 0;
  int answer;
  while ((answer = velmoBrowserMessageBoxAnswer(box)) == 0) emscripten_sleep(20);
  return answer;
}

}  // namespace velmo_win32::message_box
