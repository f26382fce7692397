// TranslateMessage: character messages for key presses.
#include "thread_queue.h"

using namespace velmo_win32;

namespace {

// The character a key gives on a US layout, or 0 for keys without one.
char characterFor(WPARAM key, bool shift) {
  if (key >= 'A' && key <= 'Z') return static_cast<char>(shift ? key : key - 'A' + 'a');
  if (key >= '0' && key <= '9') {
    static const char shifted[] = ")!@#$%^&*(";
    return shift ? shifted[key - '0'] : static_cast<char>(key);
  }
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return static_cast<char>('0' + key - VK_NUMPAD0);
  switch (key) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return '\b';
    case VK_TAB: return '\t';
    case VK_ESCAPE: return 0x1B;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    default: return 0;
  }
}

}  // namespace

extern "C" BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  const bool down = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
  const bool up = msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP;
  if (!down && !up) return FALSE;
  auto queue = currentQueue();
  if (msg->wParam == VK_SHIFT) queue->shiftDown = down;
  if (!down) return TRUE;
  const char character = characterFor(msg->wParam, queue->shiftDown);
  if (!character) return TRUE;
  MSG charMsg = *msg;
  charMsg.message = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
  charMsg.wParam = static_cast<unsigned char>(character);
  // Read next, before anything posted after the key press.
  std::lock_guard<std::mutex> lock(queue->mutex);
  queue->posted.push_front(charMsg);
  ++queue->changes;
  return TRUE;
}
