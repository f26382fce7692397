// Binning into screen tiles: each tile keeps its commands in chunks from one
// pool, so adding costs no allocation and the pool's size bounds the bin.
#include "tile_bins.h"

#include <algorithm>
#include <cstring>

namespace glide {
namespace {

// Values whose bytes are all alike (black, the farthest depth) are filled
// by memset, which the C library does with the widest stores there are.
void fillColour(FxU32* row, int count, FxU32 value) {
  if (value == (value & 0xFFu) * 0x01010101u)
    std::memset(row, int(value & 0xFF), size_t(count) * 4);
  else
    std::fill(row, row + count, value);
}

void fillDepth(FxU16* row, int count, FxU16 value) {
  if (value == (value & 0xFFu) * 0x0101u)
    std::memset(row, value & 0xFF, size_t(count) * 2);
  else
    std::fill(row, row + count, value);
}

constexpr uint32_t kTriangleCapacity = 8192;
constexpr uint32_t kStateCapacity = 1024;
constexpr uint32_t kClearCapacity = 64;

}  // namespace

void clearRect(const ClearCommand& clear, const PixelRect& rect) {
  const Target& t = clear.target;
  if (rect.x0 == 0 && rect.x1 == t.width) {
    // Whole rows lie together in memory: one fill.
    const int top = std::min(t.memoryRow(rect.y0), t.memoryRow(rect.y1 - 1));
    const size_t first = size_t(top) * size_t(t.width);
    const int count = (rect.y1 - rect.y0) * t.width;
    fillColour(t.colour + first, count, clear.colour);
    if (clear.writeDepth) fillDepth(t.depth + first, count, clear.depth);
    return;
  }
  for (int y = rect.y0; y < rect.y1; ++y) {
    const size_t row = t.rowOffset(y) + size_t(rect.x0);
    fillColour(t.colour + row, rect.x1 - rect.x0, clear.colour);
    if (clear.writeDepth) fillDepth(t.depth + row, rect.x1 - rect.x0, clear.depth);
  }
}

void TileBins::open(int width, int height, int tileWidth, int tileHeight) {
  width_ = width;
  height_ = height;
  tileWidth_ = tileWidth;
  tileHeight_ = tileHeight;
  tilesX_ = (width + tileWidth - 1) / tileWidth;
  tilesY_ = (height + tileHeight - 1) / tileHeight;
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

DrawState* TileBins::newState() {
  return stateCount_ < states_.size() ? &states_[stateCount_++] : nullptr;
}

Triangle* TileBins::newTriangle() {
  return triangleCount_ < triangles_.size() ? &triangles_[triangleCount_] : nullptr;
}

PixelRect TileBins::tileRect(int tile) const {
  const int tx = tile % tilesX_, ty = tile / tilesX_;
  return {tx * tileWidth_, ty * tileHeight_, std::min(width_, (tx + 1) * tileWidth_),
          std::min(height_, (ty + 1) * tileHeight_)};
}

void TileBins::append(int tile, uint32_t entry) {
  Tile& t = tiles_[size_t(tile)];
  if (!t.active) {
    t.active = true;
    activeTiles_.push_back(tile);  // reserved for every tile: no allocation
  }
  if (t.tail == kNone || chunks_[t.tail].count == kChunkEntries) {
    const uint32_t chunk = chunkCount_++;
    chunks_[chunk].next = kNone;
    chunks_[chunk].count = 0;
    if (t.tail == kNone)
      t.head = chunk;
    else
      chunks_[t.tail].next = chunk;
    t.tail = chunk;
  }
  Chunk& c = chunks_[t.tail];
  c.entries[c.count++] = entry;
}

// Each tile takes at most one new chunk per command.
bool TileBins::addTriangle(const Triangle& tri) {
  const int tx0 = tri.minX / tileWidth_, tx1 = tri.maxX / tileWidth_;
  const int ty0 = tri.minY / tileHeight_, ty1 = tri.maxY / tileHeight_;
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

bool TileBins::addClear(const ClearCommand& clear) {
  const int tileCount = tilesX_ * tilesY_;
  if (clearCount_ == clears_.size() || chunkCount_ + uint32_t(tileCount) > chunks_.size())
    return false;
  const uint32_t index = clearCount_++;
  clears_[index] = clear;
  // A clear that writes every buffer hides whatever was drawn before it.
  const bool hidesEarlierCommands = clear.writeDepth || !clear.target.depth;
  for (int tile = 0; tile < tileCount; ++tile) {
    Tile& t = tiles_[size_t(tile)];
    if (hidesEarlierCommands) t.head = t.tail = kNone;  // the tile stays active
    append(tile, kClearFlag | index);
  }
  return true;
}

bool TileBins::reads(const Mipmap& texture) const {
  for (uint32_t i = 0; i < stateCount_; ++i)
    if (states_[i].texture == &texture) return true;
  return false;
}

void TileBins::drawTile(int active, SpanScratch& scratch) const {
  const int tile = activeTiles_[size_t(active)];
  const PixelRect rect = tileRect(tile);
  for (uint32_t chunk = tiles_[size_t(tile)].head; chunk != kNone; chunk = chunks_[chunk].next) {
    const Chunk& c = chunks_[chunk];
    for (uint32_t i = 0; i < c.count; ++i) {
      const uint32_t entry = c.entries[i];
      if (entry & kClearFlag)
        clearRect(clears_[entry & ~kClearFlag], rect);
      else
        rasterize(triangles_[entry], rect, scratch);
    }
  }
}

}  // namespace glide
