// The per-frame path allocates nothing: every heap allocation in this
// program is counted, and a window of steady-state frames must add none.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <new>

#include "scene_input.h"
#include "plugin_host.h"

#if defined(__SANITIZE_ADDRESS__)
#define SCENE_COUNTS_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SCENE_COUNTS_ALLOCATIONS 0
#endif
#endif
#ifndef SCENE_COUNTS_ALLOCATIONS
#define SCENE_COUNTS_ALLOCATIONS 1
#endif

namespace {
bool counting;
long allocations;
}  // namespace

#if SCENE_COUNTS_ALLOCATIONS
// Every allocation of the process, the plug-in's and its libraries' included,
// comes through here: the executable's malloc family interposes on libc's.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

void* malloc(size_t size) {
  if (counting) allocations++;
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
  if (counting) allocations++;
  return __libc_calloc(count, size);
}
void* realloc(void* old, size_t size) {
  if (counting) allocations++;
  return __libc_realloc(old, size);
}
void* memalign(size_t alignment, size_t size) {
  if (counting) allocations++;
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
  if (counting) allocations++;
  *out = __libc_memalign(alignment, size);
  return *out ? 0 : ENOMEM;
}
void* aligned_alloc(size_t alignment, size_t size) {
  if (counting) allocations++;
  return __libc_memalign(alignment, size);
}
void free(void* block) { __libc_free(block); }
}
#endif

namespace {

TEST(SceneAllocations, RenderAllocatesNothing) {
  if (!SCENE_COUNTS_ALLOCATIONS) GTEST_SKIP() << "the sanitizer owns the allocator here";
  hardening::PluginHost host;
  if (!host.ready()) GTEST_SKIP() << "cannot run the plug-in: " << host.why();
  VisModule* module = host.module();
  module->init(module);
  // Warm up: the first frames may touch lazily made things in the libraries.
  for (int f = 0; f < 5; f++) {
    fillSceneSpectrum(module->spectrumData, SceneInput::sweep, f);
    module->render(module);
  }
  long total = 0;
  for (int f = 5; f < 200; f++) {
    fillSceneSpectrum(module->spectrumData, SceneInput::sweep, f);
    allocations = 0;
    counting = true;
    module->render(module);
    counting = false;
    EXPECT_EQ(allocations, 0) << "frame " << f;
    total += allocations;
    if (total > 20) break;
  }
  module->quit(module);

  // The counter itself works: a plain allocation is seen.
  allocations = 0;
  counting = true;
  void* volatile probe = malloc(32);
  int* volatile object = new int(5);
  counting = false;
  free(probe);
  delete object;
  EXPECT_GE(allocations, 2);
}

}  // namespace
