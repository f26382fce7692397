// The SDL2 window that shows the plug-in's picture: resizable, scaled by
// whole multiples so pixels stay sharp, fullscreen on request.
#pragma once
#include <SDL.h>

#include <string>

#include "output/frame.h"

namespace velmo {

class PictureWindow {
 public:
  PictureWindow() = default;
  ~PictureWindow();
  PictureWindow(const PictureWindow&) = delete;
  PictureWindow& operator=(const PictureWindow&) = delete;

  // False, with `error`, when there is no display to open a window on.
  bool open(const std::string& title, int width, int height, bool fullscreen, std::string* error);
  // Takes a copy of the frame (called from our Glide's presenter).
  void update(const Frame& frame);
  // Shows the last frame taken, or black after clear().
  void present();
  void clear();
  void toggleFullscreen();
  void setTitle(const std::string& title);

 private:
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int textureWidth_ = 0;
  int textureHeight_ = 0;
  bool hasFrame_ = false;
  bool fullscreen_ = false;
};

}  // namespace velmo
