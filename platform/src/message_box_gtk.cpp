// MessageBoxA's box on the desktop: a modal GTK message dialog.
#include <windows.h>

#include <gtk/gtk.h>

#include <mutex>

#include "message_box_backend.h"
#include "thread_queue.h"
#include "toolkit_gtk.h"

namespace velmo_win32::message_box {
namespace {

const char* buttonLabel(int answer) {
  switch (answer) {
    case IDOK: return "_OK";
    case IDCANCEL: return "_Cancel";
    case IDABORT: return "_Abort";
    case IDRETRY: return "_Retry";
    case IDIGNORE: return "_Ignore";
    case IDYES: return "_Yes";
    case IDNO: return "_No";
    default: return "?";
  }
}

GtkMessageType iconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return GTK_MESSAGE_ERROR;
    case MB_ICONQUESTION: return GTK_MESSAGE_QUESTION;
    case MB_ICONEXCLAMATION: return GTK_MESSAGE_WARNING;
    case MB_ICONASTERISK: return GTK_MESSAGE_INFO;
    default: return GTK_MESSAGE_OTHER;
  }
}

// While the box is up this thread still answers messages other threads send
// it, as Win32's modal loop does.
gboolean answerSentMessages(gpointer) {
  processIncomingSent(*currentQueue());
  return G_SOURCE_CONTINUE;
}

}  // namespace

int showToUser(LPCSTR text, LPCSTR caption, UINT type) {
  if (!gtkStarted()) return 0;
  static std::mutex gtkUse;  // one box at a time: GTK is not thread-safe
  std::lock_guard<std::mutex> lock(gtkUse);
  GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, iconOf(type),
                                             GTK_BUTTONS_NONE, "%s", text);
  gtk_window_set_title(GTK_WINDOW(dialog), caption);
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  for (int answer : buttonsOf(type)) {
    gtk_dialog_add_button(GTK_DIALOG(dialog), buttonLabel(answer), answer);
  }
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), defaultAnswer(type));
  const guint pump = g_timeout_add(10, answerSentMessages, nullptr);
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  g_source_remove(pump);
  gtk_widget_destroy(dialog);
  while (gtk_events_pending()) gtk_main_iteration();
  return response > 0 ? response : dismissAnswer(type);
}

}  // namespace velmo_win32::message_box
