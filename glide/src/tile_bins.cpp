// Binning into screen tiles: each tile keeps its commands in chunks from one
// pool, so adding costs no allocation and the pool's size bounds the bin.
#include "tile_bins.h"

#include <algorithm>

namespace glide {
namespace {

constexpr uint32_t kTriangleCapacity = 8192;
constexpr uint32_t kStateCapacity = 1024;
constexpr uint32_t kClearCapacity = 64;

}  // namespace

void clearRect(const ClearCommand &clear, const PixelRect &rect) {
  const Target &t = clear.target;
  for (int y = rect.y0; y < rect.y1; ++y) {
    const size_t row = t.rowOffset(y);
    std::fill(t.colour + row + rect.x0, t.colour + row + rect.x1, clear.colour);
    if (clear.writeDepth) std::fill(t.depth + row + rect.x0, t.depth + row + rect.x1, clear.depth);
  }
}

void TileBins::open(int width, int height, int tileSize) {
  width_ = width;
  height_ = height;
  tileSize_ = tileSize;
  tilesX_ = (width + tileSize - 1) / tileSize;
  tilesY_ = (height + tileSize - 1) / tileSize;
  const size_t tileCount = size_t(tilesX_) * size_t(tilesY_);
  tiles_.assign(tileCount, Tile{});
  activeTiles_.clear();
  activeTiles_.reserve(tileCount);
  // Room for every tile's clear and full-screen triangles, and the rest.
  chunks_.resize(tileCount * 4 + 1024);
  triangles_.resize(kTriangleCapacity);
  states_.resize(kStateCapacity);
  clears_.resize(kClearCapacity);
  reset();
}

void TileBins::close() {
  std::vector<Tile>().swap(tiles_);
  std::vector<int>().swap(activeTiles_);
  std::vector<Chunk>().swap(chunks_);
  std::vector<Triangle>().swap(triangles_);
  std::vector<DrawState>().swap(states_);
  std::vector<ClearCommand>().swap(clears_);
  triangleCount_ = stateCount_ = clearCount_ = chunkCount_ = 0;
}

void TileBins::reset() {
  for (int tile : activeTiles_) tiles_[size_t(tile)] = Tile{};
  activeTiles_.clear();
  chunkCount_ = triangleCount_ = stateCount_ = clearCount_ = 0;
}

DrawState *TileBins::newState() {
  return stateCount_ < states_.size() ? &states_[stateCount_++] : nullptr;
}

Triangle *TileBins::newTriangle() {
  return triangleCount_ < triangles_.size() ? &triangles_[triangleCount_] : nullptr;
}

PixelRect TileBins::tileRect(int tile) const {
  const int tx = tile % tilesX_, ty = tile / tilesX_;
  return {tx * tileSize_, ty * tileSize_, std::min(width_, (tx + 1) * tileSize_),
          std::min(height_, (ty + 1) * tileSize_)};
}

void TileBins::append(int tile, uint32_t entry) {
  Tile &t = tiles_[size_t(tile)];
  if (!t.active) {
    t.active = true;
    activeTiles_.push_back(tile);  // reserved for every tile: no allocation
  }
  if (t.tail == kNone || chunks_[t.tail].count == kChunkEntries) {
    const uint32_t chunk = chunkCount_++;
    chunks_[chunk].next = kNone;
    chunks_[chunk].count = 0;
    if (t.tail == kNone) t.head = chunk;
    else chunks_[t.tail].next = chunk;
    t.tail = chunk;
  }
  Chunk &c = chunks_[t.tail];
  c.entries[c.count++] = entry;
}

// Each tile takes at most one new chunk per command.
bool TileBins::addTriangle(const Triangle &tri) {
  const int tx0 = tri.minX / tileSize_, tx1 = tri.maxX / tileSize_;
  const int ty0 = tri.minY / tileSize_, ty1 = tri.maxY / tileSize_;
  if (chunkCount_ + uint32_t((tx1 - tx0 + 1) * (ty1 - ty0 + 1)) > chunks_.size())
    return false;
  const uint32_t index = triangleCount_++;
  for (int ty = ty0; ty <= ty1; ++ty)
    for (int tx = tx0; tx <= tx1; ++tx) {
      const int tile = ty * tilesX_ + tx;
      if (touches(tri, tileRect(tile))) append(tile, index);
    }
  return true;
}

bool TileBins::addClear(const ClearCommand &clear) {
  const int tileCount = tilesX_ * tilesY_;
  if (clearCount_ == clears_.size() || chunkCount_ + uint32_t(tileCount) > chunks_.size())
    return false;
  const uint32_t index = clearCount_++;
  clears_[index] = clear;
  // A clear that writes every buffer hides whatever was drawn before it.
  const bool hidesEarlierCommands = clear.writeDepth || !clear.target.depth;
  for (int tile = 0; tile < tileCount; ++tile) {
    Tile &t = tiles_[size_t(tile)];
    if (hidesEarlierCommands) t.head = t.tail = kNone;  // the tile stays active
    append(tile, kClearFlag | index);
  }
  return true;
}

bool TileBins::reads(const Mipmap &texture) const {
  for (uint32_t i = 0; i < stateCount_; ++i)
    if (states_[i].texture == &texture) return true;
  return false;
}

void TileBins::drawTile(int active, SpanScratch &scratch) const {
  const int tile = activeTiles_[size_t(active)];
  const PixelRect rect = tileRect(tile);
  for (uint32_t chunk = tiles_[size_t(tile)].head; chunk != kNone; chunk = chunks_[chunk].next) {
    const Chunk &c = chunks_[chunk];
    for (uint32_t i = 0; i < c.count; ++i) {
      const uint32_t entry = c.entries[i];
      if (entry & kClearFlag) clearRect(clears_[entry & ~kClearFlag], rect);
      else rasterize(triangles_[entry], rect, scratch);
    }
  }
}

}  // namespace glide
