// The direct path and the binned, multi-threaded one behind the same calls.
//
// Two sets of bins take turns: when a swap hands a frame over and nobody
// takes the picture at once, the workers draw it while the caller goes on to
// bin the next frame; the next call that needs the buffers (or the next
// swap) first helps to finish it. Frames are drawn in order, one at a time.
#include "renderer.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "float_state.h"
#include "tile_bins.h"
#include "triangle.h"
#include "workers.h"

namespace glide {
namespace {

struct Renderer {
  int threads = 0;  // 0: not started, 1: direct
  PixelRect screen{0, 0, 0, 0};
  std::vector<SpanScratch> scratch;  // one per drawing thread
  // The snapshot the next triangle is drawn with: in the bins, or `direct`.
  const DrawState* current = nullptr;
  DrawState direct;
  Triangle directTriangle;
  TileBins bins[2];
  int binning = 0;       // the bins the caller fills
  bool drawing = false;  // the other bins are being drawn by the workers
  std::unique_ptr<WorkerPool> pool;
  std::atomic<int> nextTile{0};
};

// Lives as long as the process, as the context does: its workers may be
// drawing when the process ends. Made on first use, so a host that loads
// the library without drawing (the settings dialog alone) keeps nothing.
Renderer& renderer() {
  static Renderer* const instance = new Renderer;
  return *instance;
}

// A job of the worker pool: every thread takes tiles until none is left.
void drawTiles(void* bins, int thread) {
  const StandardFloatState floatState;
  Renderer& r = renderer();
  const TileBins& b = *static_cast<const TileBins*>(bins);
  const int count = b.activeTileCount();
  for (int tile = r.nextTile.fetch_add(1, std::memory_order_relaxed); tile < count;
       tile = r.nextTile.fetch_add(1, std::memory_order_relaxed))
    b.drawTile(tile, r.scratch[size_t(thread)]);
}

// Waits for (and helps with) the frame the workers are drawing.
void settleDrawing() {
  Renderer& r = renderer();
  if (!r.drawing) return;
  r.pool->finish();
  r.bins[r.binning ^ 1].reset();
  r.drawing = false;
}

void forgetQueued() {
  Renderer& r = renderer();
  r.bins[r.binning].reset();
  if (r.threads > 1) r.current = nullptr;  // its storage is reused
}

// The snapshot of the context's state for the next triangle.
const DrawState* currentDrawState() {
  Renderer& r = renderer();
  Context& ctx = context();
  if (r.current && !ctx.drawStateChanged) return r.current;
  DrawState* state = &r.direct;
  if (r.threads > 1) {
    state = r.bins[r.binning].newState();
    if (!state) {
      finishDrawing();
      state = r.bins[r.binning].newState();
    }
  }
  takeDrawState(ctx, state);
  ctx.drawStateChanged = false;
  r.current = state;
  return state;
}

// Tiles are whole rows: their pixels lie together in memory (a clear is one
// fill), spans are never cut, and a tile of colour and depth stays within
// about a quarter of a core's second-level cache, beside the textures. Each
// thread gets at least eight tiles to share out the uneven ones.
void chooseTileSize(int width, int height, int threads, int* tileWidth, int* tileHeight) {
  constexpr int kTileBytes = 256 * 1024, kBytesPerPixel = 6;
  int rows = kTileBytes / (width * kBytesPerPixel);
  rows = std::min(rows, height / (8 * threads));
  rows = std::max(8, std::min(64, rows / 8 * 8));
  *tileWidth = width;
  *tileHeight = rows;
}

}  // namespace

void startRenderer(Context& ctx) {
  Renderer& r = renderer();
  stopRenderer();
  int threads = ctx.settings.threads > 0 ? ctx.settings.threads : processorCount();
  if (threads > kMaxThreads) threads = kMaxThreads;
  r.screen = {0, 0, ctx.width, ctx.height};
  if (threads > 1) {
    int tileWidth = ctx.settings.tileWidth, tileHeight = ctx.settings.tileHeight;
    if (tileWidth == 0) chooseTileSize(ctx.width, ctx.height, threads, &tileWidth, &tileHeight);
    for (TileBins& bins : r.bins) bins.open(ctx.width, ctx.height, tileWidth, tileHeight);
    r.pool.reset(new WorkerPool(threads));
    threads = r.pool->threads();
  }
  r.threads = threads;
  r.scratch.assign(size_t(threads), SpanScratch{});
  r.current = nullptr;
  ctx.drawStateChanged = true;
}

void stopRenderer() {
  Renderer& r = renderer();
  settleDrawing();
  forgetQueued();
  r.pool.reset();  // joins the workers
  for (TileBins& bins : r.bins) bins.close();
  std::vector<SpanScratch>().swap(r.scratch);
  r.current = nullptr;
  r.threads = 0;
}

int drawingThreads() { return renderer().threads; }

void drawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
  const StandardFloatState floatState;
  Renderer& r = renderer();
  Context& ctx = context();
  if (!ctx.open || r.threads == 0) return;
  const DrawState* state = currentDrawState();
  if (r.threads == 1) {
    if (setUpTriangle(ctx, *state, a, b, c, &r.directTriangle))
      rasterize(r.directTriangle, r.screen, r.scratch[0]);
    return;
  }
  Triangle* tri = r.bins[r.binning].newTriangle();
  if (!tri) {
    finishDrawing();
    state = currentDrawState();
    tri = r.bins[r.binning].newTriangle();
  }
  if (!setUpTriangle(ctx, *state, a, b, c, tri)) return;
  if (r.bins[r.binning].addTriangle(*tri)) return;
  // No room in the tiles: draw what is queued and start again.
  const Triangle pending = *tri;
  finishDrawing();
  tri = r.bins[r.binning].newTriangle();
  *tri = pending;
  tri->state = currentDrawState();
  r.bins[r.binning].addTriangle(*tri);
}

void clearBuffers(FxU32 argb, FxU16 depth, bool writeDepth) {
  Renderer& r = renderer();
  Context& ctx = context();
  if (!ctx.open || r.threads == 0) return;
  const ClearCommand clear = {currentTarget(ctx), argb, depth, writeDepth && ctx.hasDepth};
  if (r.threads == 1) {
    clearRect(clear, r.screen);
    return;
  }
  if (r.bins[r.binning].addClear(clear)) return;
  finishDrawing();
  r.bins[r.binning].addClear(clear);
}

void finishDrawing() {
  Renderer& r = renderer();
  if (r.threads <= 1) return;
  settleDrawing();
  if (!r.bins[r.binning].empty()) {
    r.nextTile.store(0, std::memory_order_relaxed);
    r.pool->run(drawTiles, &r.bins[r.binning]);
  }
  forgetQueued();
}

void handOverFrame(bool pictureWanted) {
  Renderer& r = renderer();
  if (r.threads <= 1) return;
  if (pictureWanted) {
    finishDrawing();
    return;
  }
  settleDrawing();
  if (!r.bins[r.binning].empty()) {
    r.nextTile.store(0, std::memory_order_relaxed);
    r.pool->start(drawTiles, &r.bins[r.binning]);
    r.drawing = true;
    r.binning ^= 1;
  }
  forgetQueued();
}

void textureWillChange(const Mipmap& texture) {
  Renderer& r = renderer();
  if (r.threads <= 1) return;
  if (r.drawing && r.bins[r.binning ^ 1].reads(texture)) settleDrawing();
  if (r.bins[r.binning].reads(texture)) finishDrawing();
}

}  // namespace glide
