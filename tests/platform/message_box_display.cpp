// Shows a real message box on the X display it is given and answers it with
// the keyboard through xdotool, as a person would. Exit status 0 when the box
// had the right title and Enter gave its default button.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

std::string run(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char chunk[256];
    while (fgets(chunk, sizeof chunk, pipe)) output += chunk;
    pclose(pipe);
  }
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  return output;
}

}  // namespace

int main() {
  std::thread([] {  // never outlive a box nobody answers
    Sleep(300000);
    std::fprintf(stderr, "the message box was not answered\n");
    std::_Exit(3);
  })
      .detach();
  int answer = 0;
  std::thread box([&] {
    answer = MessageBoxA(nullptr, "Press Enter for the default button", "Velmo box test",
                         MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION);
  });
  // Waits for the box to be mapped, however long a busy machine takes.
  const std::string window =
      run("sh '" VELMO_SOURCE_DIR "/tests/support/wait_for_window.sh' '^Velmo box test$' 240");
  if (window.empty()) {
    std::fprintf(stderr, "no message box window appeared\n");
    std::_Exit(2);
  }
  // Without a window manager the box is focused by hand; the key goes through
  // XTEST like a real key press (GTK ignores synthetic events).
  run("xdotool windowfocus --sync " + window + " 2>/dev/null; xdotool key Return");
  box.join();
  std::printf("answer %d\n", answer);
  return answer == IDNO ? 0 : 1;
}
