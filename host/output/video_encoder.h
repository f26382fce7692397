// Writes frames and stereo audio to a video file through libavformat and
// libavcodec: H.264 (libx264) and AAC, in the container the file name asks
// for (MP4 for .mp4, Matroska for .mkv, QuickTime for .mov). Sound at a rate
// the AAC encoder does not take (192 kHz, 44,101 Hz) is resampled to the
// nearest one it does.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace velmo {

// Whether the name of `path` asks for a container that holds H.264 video
// with AAC sound; false, with `error` saying what to use instead, when not.
bool videoFormatUsable(const std::string& path, std::string* error);

struct VideoSettings {
  int width = 640;
  int height = 480;
  int fps = 75;
  int sampleRate = 44100;  // of the sound given; 0: no audio stream
  int crf = 20;            // x264 quality: lower is better and bigger
  std::string preset = "veryfast";
};

class VideoEncoder {
 public:
  VideoEncoder();
  ~VideoEncoder();
  VideoEncoder(const VideoEncoder&) = delete;
  VideoEncoder& operator=(const VideoEncoder&) = delete;

  // Every call returns false with `error` set (naming the file and the
  // reason, such as a full disk) when the job cannot go on.
  //
  // `name` chooses the container and names the video in messages; the bytes
  // go to `file` (the same, or a temporary file that takes its place later).
  bool open(const std::string& name, const std::string& file, const VideoSettings& settings, std::string* error);
  // 0x00RRGGBB pixels, settings.width x settings.height, top row first.
  bool addFrame(const uint32_t* pixels, int stride, std::string* error);
  // Interleaved stereo at settings.sampleRate, in -1..1.
  bool addAudio(const float* stereo, size_t frames, std::string* error);
  // Flushes the encoders and writes the trailer; the file is complete after.
  bool finish(std::string* error);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace velmo
