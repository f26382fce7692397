// Screen tiles and the commands binned into them: the triangles, draw-state
// snapshots and clears submitted since the buffers were last drawn, and for
// each tile the list of the commands that touch it, in submission order.
// All storage is taken when a window opens; a full bin is drawn, not grown.
#pragma once

#include <cstdint>
#include <vector>

#include "triangle.h"

namespace glide {

struct ClearCommand {
  Target target;
  FxU32 colour;  // 0xAARRGGBB
  FxU16 depth;
  bool writeDepth;
};

// Fills the rectangle of the target's buffers.
void clearRect(const ClearCommand& clear, const PixelRect& rect);

class TileBins {
 public:
  void open(int width, int height, int tileWidth, int tileHeight);
  void close();

  bool empty() const { return activeTiles_.empty() && triangleCount_ == 0; }

  // Storage for the next snapshot or triangle, or null when the bin is full.
  DrawState* newState();
  Triangle* newTriangle();
  // Adds the triangle last given by newTriangle() to every tile it touches;
  // false (adding nothing) when the bin has no room for it.
  bool addTriangle(const Triangle& tri);
  // Adds a clear of the whole buffer to every tile; false when full.
  bool addClear(const ClearCommand& clear);
  // True when a queued triangle's state reads this texture.
  bool reads(const Mipmap& texture) const;

  // Drawing: the tiles that have commands, each run by one thread.
  int activeTileCount() const { return int(activeTiles_.size()); }
  void drawTile(int active, SpanScratch& scratch) const;

  // Forgets every command (after drawing, or to discard them).
  void reset();

 private:
  static constexpr uint32_t kClearFlag = 0x80000000u;
  static constexpr uint32_t kNone = 0xFFFFFFFFu;
  static constexpr int kChunkEntries = 62;
  struct Chunk {
    uint32_t next;
    uint32_t count;
    uint32_t entries[kChunkEntries];
  };
  struct Tile {
    uint32_t head = kNone, tail = kNone;
    bool active = false;  // listed in activeTiles_
  };

  PixelRect tileRect(int tile) const;
  void append(int tile, uint32_t entry);

  int width_ = 0, height_ = 0, tileWidth_ = 0, tileHeight_ = 0, tilesX_ = 0, tilesY_ = 0;
  std::vector<Tile> tiles_;
  std::vector<int> activeTiles_;  // in the order first touched
  std::vector<Chunk> chunks_;
  uint32_t chunkCount_ = 0;
  std::vector<Triangle> triangles_;
  uint32_t triangleCount_ = 0;
  std::vector<DrawState> states_;
  uint32_t stateCount_ = 0;
  std::vector<ClearCommand> clears_;
  uint32_t clearCount_ = 0;
};

}  // namespace glide
