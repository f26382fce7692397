// Shows a dialog as a GTK 3 window laid out from the template's dialog
// units. The platform windows keep the controls' state; the widgets mirror
// it, and the user's clicks and keys come back as the Win32 messages.
#include <gtk/gtk.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "dialog_internal.h"
#include "toolkit_gtk.h"

namespace velmo_win32::dialog {
namespace {

// Win32's dialog look at the template's own size: small font, tight padding.
constexpr const char* kDialogCss = R"css(
window.velmo-dialog, window.velmo-dialog * {
  font-family: "MS Sans Serif", "DejaVu Sans Condensed", sans-serif;
  font-size: 8pt;
}
window.velmo-dialog button { min-height: 0; min-width: 0; padding: 0 4px; }
window.velmo-dialog button.default { border: 1px solid #202020; }
window.velmo-dialog checkbutton { min-height: 0; padding: 0; }
window.velmo-dialog check { min-width: 11px; min-height: 11px; margin: 0 4px 0 0; }
window.velmo-dialog scrollbar {
  -GtkScrollbar-has-backward-stepper: true;
  -GtkScrollbar-has-forward-stepper: true;
}
window.velmo-dialog scrollbar slider {
  min-height: 10px; min-width: 10px; border-radius: 0; background-color: #c8c8c8;
}
window.velmo-dialog frame > label { padding: 0 2px; }
)css";

// The dialog look goes to every GTK window of the process once; it touches
// only windows of the class velmo-dialog.
bool dialogStyleReady() {
  if (!gtkStarted()) return false;
  static std::once_flag once;
  std::call_once(once, [] {
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, kDialogCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
  });
  return true;
}

std::string windowText(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

GdkPixbuf* loadBitmap(const VelmoResources& resources, int id) {
  for (int i = 0; i < resources.bitmapCount; ++i) {
    const VelmoBitmapResource& bitmap = resources.bitmaps[i];
    if (bitmap.id != id) continue;
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("bmp", nullptr);
    if (!loader) return nullptr;
    GdkPixbuf* pixbuf = nullptr;
    if (gdk_pixbuf_loader_write(loader, bitmap.file, bitmap.fileSize, nullptr) &&
        gdk_pixbuf_loader_close(loader, nullptr)) {
      pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
      if (pixbuf) g_object_ref(pixbuf);
    }
    g_object_unref(loader);
    return pixbuf;
  }
  return nullptr;
}

class GtkPresenter final : public Presenter {
 public:
  GtkPresenter(HWND dialog, HWND owner, const VelmoDialogTemplate& dialogTemplate,
               const VelmoResources& resources, const std::vector<HWND>& controls)
      : dialog_(dialog) {
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_style_context_add_class(gtk_widget_get_style_context(window_), "velmo-dialog");
    gtk_window_set_title(GTK_WINDOW(window_), dialogTemplate.caption);
    gtk_window_set_modal(GTK_WINDOW(window_), TRUE);
    gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
    gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
    // Placed at the template's position in the owner's client area.
    RECT ownerRect{};
    if (owner) GetWindowRect(owner, &ownerRect);
    gtk_window_move(GTK_WINDOW(window_), ownerRect.left + unitsToPixelsX(dialogTemplate.x),
                    ownerRect.top + unitsToPixelsY(dialogTemplate.y));

    GtkWidget* area = gtk_fixed_new();
    gtk_widget_set_size_request(area, unitsToPixelsX(dialogTemplate.width),
                                unitsToPixelsY(dialogTemplate.height));
    gtk_container_add(GTK_CONTAINER(window_), area);

    items_.reserve(controls.size());
    for (int i = 0; i < dialogTemplate.itemCount && i < static_cast<int>(controls.size()); ++i) {
      if (!controls[i]) continue;
      items_.push_back(Item{this, controls[i], controlKind(controls[i]), nullptr, nullptr});
      Item& item = items_.back();
      const VelmoDialogItem& source = dialogTemplate.items[i];
      item.widget = createWidget(item, source, resources);
      if (!item.widget) continue;
      if (item.kind != ControlKind::kPicture) {
        gtk_widget_set_size_request(item.widget, unitsToPixelsX(source.width),
                                    unitsToPixelsY(source.height));
      }
      gtk_fixed_put(GTK_FIXED(area), item.widget, unitsToPixelsX(source.x),
                    unitsToPixelsY(source.y));
      controlChanged(item.control);
    }

    g_signal_connect(window_, "key-press-event", G_CALLBACK(onKeyPress), this);
    g_signal_connect(window_, "delete-event", G_CALLBACK(onDelete), this);
  }

  ~GtkPresenter() override {
    gtk_widget_destroy(window_);
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
  }

  void controlChanged(HWND control) override {
    Item* item = find(control);
    if (!item || !item->widget) return;
    syncing_ = true;
    const bool enabled = IsWindowEnabled(control);
    gtk_widget_set_sensitive(item->widget, enabled);
    switch (item->kind) {
      case ControlKind::kPushButton:
      case ControlKind::kCheckBox:
        gtk_button_set_label(GTK_BUTTON(item->widget), windowText(control).c_str());
        if (item->kind == ControlKind::kCheckBox) {
          gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(item->widget),
                                       SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED);
        }
        break;
      case ControlKind::kGroupBox:
        gtk_frame_set_label(GTK_FRAME(item->widget), windowText(control).c_str());
        break;
      case ControlKind::kText:
        gtk_label_set_text(GTK_LABEL(item->widget), windowText(control).c_str());
        break;
      case ControlKind::kScrollBar: {
        const ScrollState scroll = scrollState(control);
        // page size 1, so the value runs over the whole range like Win32's.
        gtk_adjustment_configure(item->adjustment, scroll.position, scroll.minimum,
                                 scroll.maximum + 1, 1, 4, 1);
        break;
      }
      default:
        break;
    }
    syncing_ = false;
  }

  void show() override {
    gtk_widget_show_all(window_);
    gtk_window_present(GTK_WINDOW(window_));
  }

  void pump() override {
    if (!g_main_context_iteration(nullptr, FALSE))
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

 private:
  struct Item {
    GtkPresenter* presenter;
    HWND control;
    ControlKind kind;
    GtkWidget* widget;
    GtkAdjustment* adjustment;
  };

  GtkWidget* createWidget(Item& item, const VelmoDialogItem& source,
                          const VelmoResources& resources) {
    switch (item.kind) {
      case ControlKind::kPushButton: {
        GtkWidget* button = gtk_button_new_with_label(source.text);
        if ((source.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
          gtk_widget_set_can_default(button, TRUE);
          gtk_window_set_default(GTK_WINDOW(window_), button);
        }
        g_signal_connect(button, "clicked", G_CALLBACK(onClicked), &item);
        return button;
      }
      case ControlKind::kCheckBox: {
        GtkWidget* box = gtk_check_button_new_with_label(source.text);
        GtkWidget* label = gtk_bin_get_child(GTK_BIN(box));
        if (GTK_IS_LABEL(label)) {
          gtk_label_set_line_wrap(GTK_LABEL(label), (source.style & BS_MULTILINE) != 0);
          gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
        }
        g_signal_connect(box, "toggled", G_CALLBACK(onClicked), &item);
        return box;
      }
      case ControlKind::kGroupBox:
        return gtk_frame_new(source.text);
      case ControlKind::kText: {
        GtkWidget* label = gtk_label_new(source.text);
        gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
        gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
        gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
        return label;
      }
      case ControlKind::kPicture: {
        // The picture control takes the bitmap's own size, inside a sunken border.
        GtkWidget* frame = gtk_frame_new(nullptr);
        gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
        GdkPixbuf* pixbuf = loadBitmap(resources, source.textResource);
        if (pixbuf) {
          gtk_container_add(GTK_CONTAINER(frame), gtk_image_new_from_pixbuf(pixbuf));
          g_object_unref(pixbuf);
        }
        return frame;
      }
      case ControlKind::kScrollBar:
        item.adjustment = gtk_adjustment_new(0, 0, 101, 1, 4, 1);
        g_signal_connect(item.adjustment, "value-changed", G_CALLBACK(onScrolled), &item);
        return gtk_scrollbar_new(GTK_ORIENTATION_HORIZONTAL, item.adjustment);
      default:
        return nullptr;
    }
  }

  Item* find(HWND control) {
    for (Item& item : items_) {
      if (item.control == control) return &item;
    }
    return nullptr;
  }

  static void onClicked(GtkWidget*, gpointer data) {
    Item* item = static_cast<Item*>(data);
    if (item->presenter->syncing_) return;
    SendMessageA(item->control, BM_CLICK, 0, 0);
    // A box the procedure refuses to change goes back to its state.
    item->presenter->controlChanged(item->control);
  }

  static void onScrolled(GtkAdjustment* adjustment, gpointer data) {
    Item* item = static_cast<Item*>(data);
    if (item->presenter->syncing_) return;
    const int position = static_cast<int>(gtk_adjustment_get_value(adjustment));
    SendMessageA(item->presenter->dialog_, WM_HSCROLL,
                 MAKEWPARAM(SB_THUMBTRACK, static_cast<WORD>(position)),
                 reinterpret_cast<LPARAM>(item->control));
    item->presenter->controlChanged(item->control);
  }

  static gboolean onKeyPress(GtkWidget* window, GdkEventKey* event, gpointer data) {
    auto* presenter = static_cast<GtkPresenter*>(data);
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
    switch (event->keyval) {
      case GDK_KEY_Return:
      case GDK_KEY_KP_Enter:
      case GDK_KEY_ISO_Enter:
        // A focused push button answers Enter itself; otherwise the default one does.
        if (focus && GTK_IS_BUTTON(focus) && !GTK_IS_TOGGLE_BUTTON(focus)) return FALSE;
        pressDialogKey(presenter->dialog_, VK_RETURN);
        return TRUE;
      case GDK_KEY_Escape:
        pressDialogKey(presenter->dialog_, VK_ESCAPE);
        return TRUE;
      default:
        return FALSE;
    }
  }

  static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data) {
    SendMessageA(static_cast<GtkPresenter*>(data)->dialog_, WM_CLOSE, 0, 0);
    return TRUE;  // the dialog procedure decides; EndDialog closes the window
  }

  HWND dialog_;
  GtkWidget* window_ = nullptr;
  std::vector<Item> items_;
  bool syncing_ = false;
};

}  // namespace

std::unique_ptr<Presenter> createPresenter(HWND dialog, HWND owner,
                                           const VelmoDialogTemplate& dialogTemplate,
                                           const VelmoResources& resources,
                                           const std::vector<HWND>& controls) {
  if (!dialogStyleReady()) return nullptr;
  return std::make_unique<GtkPresenter>(dialog, owner, dialogTemplate, resources, controls);
}

}  // namespace velmo_win32::dialog
