// A folder of numbered PNG frames (frame000000.png, ...), written into a
// fresh folder beside it and moved in when the render ends, so that a render
// stopped or failed half way never mixes its frames with an earlier render's.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace velmo {

// "frame000012.png".
std::string frameName(int64_t index);
// Whether `folder` holds frames of an earlier render (frame000000.png).
bool holdsFrames(const std::string& folder);

class FrameFolder {
 public:
  FrameFolder() = default;
  ~FrameFolder();  // abandon()
  FrameFolder(const FrameFolder&) = delete;
  FrameFolder& operator=(const FrameFolder&) = delete;

  // Makes the fresh folder beside `target` ("frames.velmo-Xy12ab"). False,
  // with `error`, when `target` is something else than a folder or nothing
  // can be made there.
  bool open(const std::string& target, std::string* error);
  // Where frame `index` is written.
  std::string framePath(int64_t index) const;

  // The frames take their place in the target (made when missing); earlier
  // frames of the same pattern are removed, and nothing else.
  bool commit(std::string* error);
  // The frames of a stopped render: in the target when it is missing or holds
  // no frames and `besideAlways` is false, else beside it as
  // "frames.partial". False with `error`.
  bool keepPartial(bool besideAlways, std::string* error);
  // The folder the frames are in, named as the target was ("frames/").
  const std::string& placedAt() const { return placedAt_; }
  // The folder the frames are written into until they are placed.
  const std::string& freshFolder() const { return fresh_; }
  // Removes the fresh folder and its frames.
  void abandon();

 private:
  bool moveFramesIn(const std::vector<std::string>& names, std::string* error);
  std::string besideFolder(const std::string& tag) const;

  std::string target_;  // without its final '/'
  std::string fresh_;
  std::string placedAt_;
};

}  // namespace velmo
