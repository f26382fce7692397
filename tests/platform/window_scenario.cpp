// One fixed run of window and message calls: classes, creation, showing,
// focus, destruction, captions, the queue. It prints the messages its windows
// receive (those this layer models) and every result, naming windows by their
// titles. Built natively against our layer and for Win32 to run under Wine;
// the test compares the two outputs.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

static HWND handles[32];
static std::string titles[32];
static int windowCount;

static const char* nameOf(HWND window) {
  if (!window) return "none";
  for (int i = 0; i < windowCount; ++i) {
    if (handles[i] == window) return titles[i].c_str();
  }
  return "unknown";
}

static bool refuseCreate;

static LRESULT CALLBACK logProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE && windowCount < 32) {
    handles[windowCount] = window;
    titles[windowCount++] = reinterpret_cast<CREATESTRUCTA*>(lParam)->lpszName;
  }
  switch (message) {
    case WM_NCCREATE:
    case WM_CREATE:
    case WM_DESTROY:
    case WM_NCDESTROY:
    case WM_CLOSE:
      printf("  %s: message %u\n", nameOf(window), message);
      break;
    case WM_SHOWWINDOW:
      printf("  %s: WM_SHOWWINDOW %d\n", nameOf(window), wParam ? 1 : 0);
      break;
    case WM_ACTIVATE:
      printf("  %s: WM_ACTIVATE %u other=%s\n", nameOf(window), (unsigned)LOWORD(wParam),
             nameOf(reinterpret_cast<HWND>(lParam)));
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      printf("  %s: %s other=%s\n", nameOf(window), message == WM_SETFOCUS ? "WM_SETFOCUS" : "WM_KILLFOCUS",
             nameOf(reinterpret_cast<HWND>(wParam)));
      break;
    case WM_USER:
      printf("  %s: WM_USER %u %ld\n", nameOf(window), (unsigned)wParam, (long)lParam);
      return lParam == 105 ? 83000 : 0;
  }
  if (message == WM_CREATE && refuseCreate) return -1;
  return DefWindowProcA(window, message, wParam, lParam);
}

static HWND make(const char* title, DWORD style, HWND parent) {
  HWND window = CreateWindowExA(0, "Scenario Class", title, style, 0, 0, 500, 500, parent, NULL, NULL, NULL);
  printf("create %s -> %s\n", title, window ? "ok" : "failed");
  return window;
}

static void state(const char* label) {
  printf("%s: active=%s focus=%s\n", label, nameOf(GetActiveWindow()), nameOf(GetFocus()));
}

static void classes() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = logProc;
  windowClass.lpszClassName = "Scenario Class";
  printf("register -> %d\n", RegisterClassA(&windowClass) != 0);
  windowClass.lpszClassName = "SCENARIO CLASS";
  SetLastError(0);
  const bool again = RegisterClassA(&windowClass) != 0;
  printf("register again -> %d error %lu\n", again, (unsigned long)GetLastError());
  SetLastError(0);
  HWND none = CreateWindowExA(0, "No Such Class", "x", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
  printf("unknown class -> %d\n", none != NULL);  // the error code differs between Windows versions
}

static void lifecycle() {
  HWND host = make("host - Winamp", WS_OVERLAPPED, NULL);
  HWND child = make("child", WS_CHILD, host);
  HWND popup = make("popup", WS_POPUP, host);
  HWND other = make("other", WS_POPUP, NULL);
  printf("owner %s parent %s childparent %s\n", nameOf(GetWindow(popup, GW_OWNER)), nameOf(GetParent(popup)),
         nameOf(GetParent(child)));
  printf("find %s\n", nameOf(FindWindowA("scenario class", "HOST - winamp")));
  SetLastError(0);
  const BOOL unregistered = UnregisterClassA("Scenario Class", GetModuleHandleA(NULL));
  printf("unregister busy -> %d error %lu\n", unregistered, (unsigned long)GetLastError());

  printf("show popup -> %d\n", ShowWindow(popup, SW_SHOWNORMAL));
  state("after show");
  printf("show popup again -> %d\n", ShowWindow(popup, SW_SHOWNORMAL));
  printf("show other noactivate -> %d\n", ShowWindow(other, SW_SHOWNA));
  state("after showna");
  printf("visible popup %d other %d child %d\n", IsWindowVisible(popup), IsWindowVisible(other),
         IsWindowVisible(child));
  printf("show other -> %d\n", ShowWindow(other, SW_SHOW));
  state("after show other");
  printf("show other normal -> %d\n", ShowWindow(other, SW_SHOWNORMAL));
  state("after show other normal");
  printf("show popup -> %d\n", ShowWindow(popup, SW_SHOWNORMAL));
  state("after show popup");
  printf("hide other -> %d\n", ShowWindow(other, SW_HIDE));
  printf("hide other again -> %d\n", ShowWindow(other, SW_HIDE));
  printf("focus popup -> %s\n", nameOf(SetFocus(popup)));
  state("after focus");

  printf("query -> %ld\n", (long)SendMessageA(host, WM_USER, 0, 105));
  printf("close other\n");
  SendMessageA(other, WM_CLOSE, 0, 0);
  printf("other alive %d\n", IsWindow(other));

  printf("destroy host\n");
  DestroyWindow(host);
  state("after destroy");
  printf("alive host %d child %d popup %d\n", IsWindow(host), IsWindow(child), IsWindow(popup));
  SetLastError(0);
  const BOOL posted = PostMessageA(popup, WM_USER, 0, 0);
  printf("post to destroyed -> %d error %lu\n", posted, (unsigned long)GetLastError());
  char text[16] = "unchanged";
  const int copied = GetWindowTextA(popup, text, sizeof text);
  printf("text of destroyed -> %d [%s]\n", copied, text);

  refuseCreate = true;
  HWND refused = make("refused", WS_POPUP, NULL);
  refuseCreate = false;
  printf("refused is null %d\n", refused == NULL);
  printf("unregister -> %d\n", UnregisterClassA("Scenario Class", GetModuleHandleA(NULL)));
}

static void captions() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = logProc;
  windowClass.lpszClassName = "Scenario Class";
  RegisterClassA(&windowClass);
  std::string longTitle;
  for (int i = 0; i < 300; ++i) longTitle += static_cast<char>('a' + i % 26);
  HWND window = make(longTitle.c_str(), WS_POPUP, NULL);
  const int sizes[] = {300, 301, 302, 130, 2, 1, 0, -1};
  for (int size : sizes) {
    char buffer[400];
    memset(buffer, '#', sizeof buffer);
    const int copied = GetWindowTextA(window, buffer, size);
    const char* end = static_cast<const char*>(memchr(buffer, 0, sizeof buffer));
    printf("text size %d -> %d nul at %ld next [%c]\n", size, copied, end ? (long)(end - buffer) : -1L,
           buffer[size > 0 ? size : 0]);
  }
  printf("length %d\n", GetWindowTextLengthA(window));
  printf("set -> %d\n", SetWindowTextA(window, "12. Artist - Title - Winamp"));
  char buffer[130];
  const int got = GetWindowTextA(window, buffer, sizeof buffer);
  printf("get -> %d [%s] length %d\n", got, buffer, GetWindowTextLengthA(window));
  const BOOL set = SetWindowTextA(window, "");
  printf("set empty -> %d length %d\n", set, GetWindowTextLengthA(window));
  DestroyWindow(window);
}

static void queue() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = logProc;
  windowClass.lpszClassName = "Queue Class";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "Queue Class", "queue", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
  }
  PostQuitMessage(7);
  PostMessageA(window, WM_USER + 1, 1, 2);
  PostThreadMessageA(GetCurrentThreadId(), WM_USER + 2, 3, 4);
  PostMessageA(window, WM_KEYDOWN, 'G', 0);
  BOOL found = PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);
  printf("peek noremove -> %d message %u\n", found, msg.message);
  found = PeekMessageA(&msg, NULL, WM_USER + 2, WM_USER + 2, PM_REMOVE);
  printf("peek range -> %d message %u\n", found, msg.message);
  for (int i = 0; i < 5; ++i) {
    const BOOL result = GetMessageA(&msg, NULL, 0, 0);  // quit comes last
    printf("get -> %d message %u wParam %u window %s\n", result, msg.message, (unsigned)msg.wParam,
           msg.hwnd == window ? "queue" : msg.hwnd ? "other"
                                                   : "none");
    if (msg.message == WM_KEYDOWN) TranslateMessage(&msg);
    if (!result) break;
  }
  printf("after quit -> %d\n", PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
  DestroyWindow(window);
}

int main() {
  classes();
  lifecycle();
  captions();
  queue();
  return 0;
}
