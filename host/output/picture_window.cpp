// The picture window through SDL2's renderer.
#include "output/picture_window.h"

#include <cstdlib>
#include <cstring>

namespace velmo {
namespace {

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;

// SDL's drivers that put a window on a screen; when it cannot reach the
// display it falls back to one that shows nothing.
bool showsWindows(const char* driver) {
  return driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

}  // namespace

PictureWindow::~PictureWindow() {
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  // The video subsystem stays up until the process ends: shutting it down
  // unloads the X11 libraries SDL opened, and with them the names of what
  // they keep allocated for good.
}

bool PictureWindow::open(const std::string& title, int width, int height, bool fullscreen,
                         std::string* error) {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!display || !*display) && (!wayland || !*wayland) && !std::getenv("SDL_VIDEODRIVER")) {
    *error = "no display to open a window on (DISPLAY is not set)";
    return false;
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    *error = std::string("cannot open a window: ") + SDL_GetError();
    return false;
  }
  // Unless the user chose the driver, one that shows nothing means no window.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!std::getenv("SDL_VIDEODRIVER") && !showsWindows(driver)) {
    *error = std::string("cannot open a window: cannot connect to the display ") +
             (display && *display ? "DISPLAY=" + std::string(display) : "WAYLAND_DISPLAY=" + std::string(wayland)) +
             " (SDL could only offer its '" + (driver ? driver : "") + "' driver)";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
  if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  // The largest whole multiple of the picture that fits on the screen.
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
    while ((width > kPictureWidth && width > usable.w) || (height > kPictureHeight && height > usable.h)) {
      width -= kPictureWidth;
      height -= kPictureHeight;
    }
  }
  window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                             height, flags);
  if (!window_) {
    *error = std::string("cannot open a window: ") + SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  fullscreen_ = fullscreen;
  renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
  if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer_) {
    *error = std::string("cannot draw in the window: ") + SDL_GetError();
    return false;
  }
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  // Whatever our Glide's scale, the picture is laid out as 640 x 480 and
  // enlarged by whole multiples only, so its pixels stay sharp.
  SDL_RenderSetLogicalSize(renderer_, kPictureWidth, kPictureHeight);
  SDL_RenderSetIntegerScale(renderer_, SDL_TRUE);
  clear();
  present();
  return true;
}

void PictureWindow::update(const Frame& frame) {
  if (!renderer_) return;
  if (!texture_ || frame.width != textureWidth_ || frame.height != textureHeight_) {
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                 frame.width, frame.height);
    textureWidth_ = frame.width;
    textureHeight_ = frame.height;
  }
  if (!texture_) return;
  SDL_UpdateTexture(texture_, nullptr, frame.pixels, frame.stride * 4);
  hasFrame_ = true;
}

void PictureWindow::present() {
  if (!renderer_) return;
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  if (hasFrame_ && texture_) {
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  }
  SDL_RenderPresent(renderer_);
}

void PictureWindow::clear() { hasFrame_ = false; }

void PictureWindow::toggleFullscreen() {
  if (!window_) return;
  fullscreen_ = !fullscreen_;
  SDL_SetWindowFullscreen(window_, fullscreen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void PictureWindow::setTitle(const std::string& title) {
  if (window_) SDL_SetWindowTitle(window_, title.c_str());
}

}  // namespace velmo
