// Shows a dialog in the web page as an HTML form laid out from the template's
// dialog units (browser_library.js builds it). The platform windows keep the
// controls' state; the form mirrors it, and the user's clicks and keys come
// back as the Win32 messages.
#include <emscripten.h>

#include <set>
#include <string>

#include "dialog_internal.h"

extern "C" {
// browser_library.js. Kinds as ControlKind; rectangles in pixels.
int velmoBrowserDialogOpen(const void* presenter, const char* caption, int x, int y, int width,
                           int height);
void velmoBrowserDialogAdd(int dialog, int index, int kind, const char* text, int x, int y,
                           int width, int height, int isDefault, int multiline,
                           const unsigned char* bitmap, unsigned bitmapSize);
void velmoBrowserDialogUpdate(int dialog, int index, const char* text, int enabled, int checked,
                              int minimum, int maximum, int position);
void velmoBrowserDialogShow(int dialog);
void velmoBrowserDialogClose(int dialog);
}

namespace velmo_win32::dialog {
namespace {

class BrowserPresenter;

// The presenters alive: the page's events name one by its address, and an
// event that comes after its dialog ended finds nothing.
std::set<const BrowserPresenter*>& livePresenters() {
  static std::set<const BrowserPresenter*> live;
  return live;
}

const VelmoBitmapResource* findBitmap(const VelmoResources& resources, int id) {
  for (int i = 0; i < resources.bitmapCount; ++i) {
    if (resources.bitmaps[i].id == id) return &resources.bitmaps[i];
  }
  return nullptr;
}

std::string windowText(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

class BrowserPresenter final : public Presenter {
 public:
  BrowserPresenter(HWND dialog, const VelmoDialogTemplate& dialogTemplate,
                   const VelmoResources& resources, const std::vector<HWND>& controls)
      : dialog_(dialog), controls_(controls) {
    livePresenters().insert(this);
    // Placed at the template's position in the owner's client area: the page's picture.
    form_ = velmoBrowserDialogOpen(this, dialogTemplate.caption, unitsToPixelsX(dialogTemplate.x),
                                   unitsToPixelsY(dialogTemplate.y),
                                   unitsToPixelsX(dialogTemplate.width),
                                   unitsToPixelsY(dialogTemplate.height));
    for (int i = 0; i < dialogTemplate.itemCount && i < static_cast<int>(controls.size()); ++i) {
      if (!controls[i]) continue;
      const VelmoDialogItem& item = dialogTemplate.items[i];
      const ControlKind kind = controlKind(controls[i]);
      const VelmoBitmapResource* bitmap =
          kind == ControlKind::kPicture ? findBitmap(resources, item.textResource) : nullptr;
      velmoBrowserDialogAdd(form_, i, static_cast<int>(kind), item.text, unitsToPixelsX(item.x),
                            unitsToPixelsY(item.y), unitsToPixelsX(item.width),
                            unitsToPixelsY(item.height),
                            (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON,
                            (item.style & BS_MULTILINE) != 0, bitmap ? bitmap->file : nullptr,
                            bitmap ? bitmap->fileSize : 0);
      controlChanged(controls[i]);
    }
  }

  ~BrowserPresenter() override {
    livePresenters().erase(this);
    velmoBrowserDialogClose(form_);
  }

  void controlChanged(HWND control) override {
    const int index = indexOf(control);
    if (index < 0) return;
    const ScrollState scroll = scrollState(control);
    velmoBrowserDialogUpdate(form_, index, windowText(control).c_str(), IsWindowEnabled(control),
                             SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED,
                             scroll.minimum, scroll.maximum, scroll.position);
  }

  void show() override { velmoBrowserDialogShow(form_); }

  // The page handles its events (the user's among them) while this waits.
  void pump() override { emscripten_sleep(10); }

  // The user's actions, from the form.
  void clicked(int index) {
    HWND control = controlAt(index);
    if (!control) return;
    SendMessageA(control, BM_CLICK, 0, 0);
    // A box the procedure refuses to change goes back to its state.
    if (livePresenters().count(this)) controlChanged(control);
  }

  void scrolled(int index, int position) {
    HWND control = controlAt(index);
    if (!control) return;
    SendMessageA(dialog_, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, static_cast<WORD>(position)),
                 reinterpret_cast<LPARAM>(control));
    if (livePresenters().count(this)) controlChanged(control);
  }

  void key(int virtualKey) { pressDialogKey(dialog_, virtualKey); }
  void close() { SendMessageA(dialog_, WM_CLOSE, 0, 0); }

 private:
  int indexOf(HWND control) const {
    for (size_t i = 0; i < controls_.size(); ++i) {
      if (controls_[i] == control) return static_cast<int>(i);
    }
    return -1;
  }
  HWND controlAt(int index) const {
    return index >= 0 && index < static_cast<int>(controls_.size()) ? controls_[index] : nullptr;
  }

  HWND dialog_;
  std::vector<HWND> controls_;
  int form_ = 0;
};

BrowserPresenter* live(const void* presenter) {
  auto* found = static_cast<const BrowserPresenter*>(presenter);
  return livePresenters().count(found) ? const_cast<BrowserPresenter*>(found) : nullptr;
}

}  // namespace

std::unique_ptr<Presenter> createPresenter(HWND dialog, HWND, const VelmoDialogTemplate& dialogTemplate,
                                           const VelmoResources& resources,
                                           const std::vector<HWND>& controls) {
  return std::make_unique<BrowserPresenter>(dialog, dialogTemplate, resources, controls);
}

}  // namespace velmo_win32::dialog

using velmo_win32::dialog::live;

// Called by the form (browser_library.js) for the user's actions.
extern "C" EMSCRIPTEN_KEEPALIVE void velmoBrowserDialogClicked(const void* presenter, int index) {
  if (auto* found = live(presenter)) found->clicked(index);
}
extern "C" EMSCRIPTEN_KEEPALIVE void velmoBrowserDialogScrolled(const void* presenter, int index,
                                                                int position) {
  if (auto* found = live(presenter)) found->scrolled(index, position);
}
extern "C" EMSCRIPTEN_KEEPALIVE void velmoBrowserDialogKey(const void* presenter, int virtualKey) {
  if (auto* found = live(presenter)) found->key(virtualKey);
}
extern "C" EMSCRIPTEN_KEEPALIVE void velmoBrowserDialogCloseBox(const void* presenter) {
  if (auto* found = live(presenter)) found->close();
}
