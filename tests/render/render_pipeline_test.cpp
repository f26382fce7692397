// Frames drawn while earlier ones are written. The ring of frame buffers on
// its own (order, copies, the earliest failure, nothing allocated per frame),
// then whole renders in this process: the same files with the pipeline as
// without, a write failing mid-render, a stop, and no thread left after any.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "commands/render_job.h"
#include "output/frame_pipeline.h"
#include "run_program.h"
#include "temp_folder.h"
#include "vis/plugin_folder.h"

// The sanitizers bring an operator new of their own: no count under them.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define PIPELINE_COUNTS_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define PIPELINE_COUNTS_ALLOCATIONS 0
#endif
#endif
#ifndef PIPELINE_COUNTS_ALLOCATIONS
#define PIPELINE_COUNTS_ALLOCATIONS 1
#endif

namespace {
std::atomic<long> allocations{0};
}  // namespace

#if PIPELINE_COUNTS_ALLOCATIONS
// Every allocation through new (what containers use) is counted. GCC takes
// the replaced pair for a mismatch once it inlines them into the library's.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
#endif

namespace velmo {
namespace {

constexpr int kWidth = 8, kHeight = 4, kStride = 11;

class PipelineDepth : public ::testing::TestWithParam<int> {};

TEST_P(PipelineDepth, WritesSoundAndFramesInOrderFromItsOwnCopies) {
  // What the writer saw: a frame's index, or -(1 + first sample) for sound;
  // storage taken up front so that the writer allocates nothing itself.
  std::vector<int64_t> seen;
  seen.reserve(1000);
  bool framesWhole = true;
  FramePipeline pipeline;
  pipeline.start(
      GetParam(), 1,
      [&](const Frame& frame, int64_t index, std::string*) {
        for (int y = 0; y < frame.height; ++y)
          for (int x = 0; x < frame.width; ++x) framesWhole &= frame.pixels[y * frame.stride + x] == index;
        seen.push_back(index);
        return true;
      },
      [&](const float* stereo, size_t frames, std::string*) {
        for (size_t i = 0; i < frames; ++i) seen.push_back(-1 - static_cast<int64_t>(stereo[2 * i]));
        return true;
      });

  std::vector<uint32_t> pixels(kStride * kHeight);
  std::vector<float> sound(8);
  std::vector<int64_t> expected;
  expected.reserve(1000);
  long allocationsAfterWarmUp = 0;
  for (int64_t index = 0; index < 60; ++index) {
    if (index == 20) allocationsAfterWarmUp = allocations.load();
    const size_t soundFrames = index % 4;  // none, one, two or three frames of sound before the picture
    for (size_t i = 0; i < soundFrames; ++i) {
      sound[2 * i] = static_cast<float>(100 * index + i);
      expected.push_back(-1 - (100 * index + static_cast<int64_t>(i)));
    }
    ASSERT_TRUE(pipeline.addSound(sound.data(), soundFrames));
    std::fill(pixels.begin(), pixels.end(), static_cast<uint32_t>(index));
    ASSERT_TRUE(pipeline.addFrame(Frame{pixels.data(), kWidth, kHeight, kStride}, index));
    expected.push_back(index);
    std::fill(pixels.begin(), pixels.end(), 0xDEADu);  // the caller's buffer is free again
  }
  if (PIPELINE_COUNTS_ALLOCATIONS) {
    EXPECT_EQ(allocations.load() - allocationsAfterWarmUp, 0) << "allocated while drawing, after the first frames";
  }
  sound[0] = 9999;
  ASSERT_TRUE(pipeline.addSound(sound.data(), 1));  // the end of a track, after its last frame
  expected.push_back(-1 - 9999);
  std::string error;
  ASSERT_TRUE(pipeline.finish(&error)) << error;
  EXPECT_EQ(seen, expected);
  EXPECT_TRUE(framesWhole);
}

INSTANTIATE_TEST_SUITE_P(Depths, PipelineDepth, ::testing::Values(0, 1, 3));

// Three writers: frame 5 fails late, frames after it fail at once. The error
// told is frame 5's, and the drawing is stopped instead of left waiting.
TEST(FramePipeline, TellsTheEarliestFailureAndStopsTheDrawing) {
  FramePipeline pipeline;
  pipeline.start(4, 3, [](const Frame&, int64_t index, std::string* error) {
    if (index == 5) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    *error = "frame " + std::to_string(index);
    return index < 5;
  });
  std::vector<uint32_t> pixels(kWidth * kHeight);
  int64_t index = 0;
  while (index < 1000 && pipeline.addFrame(Frame{pixels.data(), kWidth, kHeight, kWidth}, index)) ++index;
  EXPECT_LT(index, 1000);
  std::string error;
  EXPECT_FALSE(pipeline.finish(&error));
  EXPECT_EQ(error, "frame 5");
}

int threadCount() {
  // ThreadSanitizer starts a thread of its own with the first one made.
  static const bool runtimeThreadsStarted = (std::thread([] {}).join(), true);
  (void)runtimeThreadsStarted;
  int count = 0;
  for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task")) ++count;
  return count;
}

class RenderPipeline : public ::testing::Test {
 protected:
  // The first second or so of the demo track into `output`, the pipeline `depth` frames deep.
  int render(const std::string& output, int depth = -1, double seconds = 1) {
    RenderJob job;
    job.pluginPath = defaultPluginPath();
    job.output = folder.path(output);
    job.maxSeconds = seconds;
    job.progress = false;
    job.queueDepth = depth;
    job.stop = &stop;
    return runRenderJob(job);
  }
  void TearDown() override {
    EXPECT_EQ(threadCount(), threadsBefore) << "a thread outlived its render";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path())) {
      EXPECT_EQ(entry.path().filename().string().find(".velmo-"), std::string::npos) << entry.path();
    }
  }

  const int threadsBefore = threadCount();
  velmo_test::TempFolder folder{"velmo-pipeline"};
  std::atomic<bool> stop{false};
};

TEST_F(RenderPipeline, SameFilesWithThePipelineAsWithout) {
  ASSERT_EQ(render("direct.mp4", 0), 0);
  ASSERT_EQ(render("queued.mp4", 1), 0);
  ASSERT_EQ(render("deep.mp4"), 0);
  const std::string direct = velmo_test::readFile(folder.path("direct.mp4"));
  EXPECT_EQ(velmo_test::readFile(folder.path("queued.mp4")), direct);
  EXPECT_EQ(velmo_test::readFile(folder.path("deep.mp4")), direct);

  ASSERT_EQ(render("direct/", 0, 0.5), 0);
  ASSERT_EQ(render("queued/", -1, 0.5), 0);
  for (int frame = 0; frame < 38; ++frame) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame%06d.png", frame);
    const std::string png = velmo_test::readFile(folder.path("direct") + name);
    EXPECT_NE(png, "<missing>") << name;
    EXPECT_EQ(velmo_test::readFile(folder.path("queued") + name), png) << name;
  }
}

TEST_F(RenderPipeline, AWriteFailingMidRenderEndsItAndSaysWhy) {
  ASSERT_EQ(mkdir(folder.path("frames").c_str(), 0777), 0);
  ASSERT_EQ(mkdir(folder.path("frames/frame000010.png").c_str(), 0777), 0);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(render("frames/"), 1);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("frame000010.png: Is a directory"), std::string::npos);

  ASSERT_EQ(symlink("/dev/full", folder.path("full.mp4").c_str()), 0);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(render("full.mp4"), 1);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("No space left on device"), std::string::npos);
}

// Set before the first frame: that frame is drawn and written, and the video
// is closed and in place.
TEST_F(RenderPipeline, StopEndsAfterTheFrameBeingDrawnWithTheOutputComplete) {
  stop = true;
  ASSERT_EQ(render("frames/"), 0);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path("frames")), {}), 1);
  ASSERT_EQ(render("stopped.mp4"), 0);
  if (!toolAvailable("ffprobe")) GTEST_SKIP() << "ffprobe not installed";
  ProgramResult frames = runProgram(
      "ffprobe -v error -count_frames -select_streams v -show_entries "
      "stream=nb_read_frames -of csv=p=0 " +
      shellQuote(folder.path("stopped.mp4")));
  EXPECT_EQ(frames.output, "1\n");
}

}  // namespace
}  // namespace velmo
