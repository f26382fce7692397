// A source of interleaved float samples: a file, the built-in demo track.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace velmo {

struct TrackInfo {
  std::string artist;  // empty when the source carries none
  std::string title;   // never empty: falls back to the file name
};

class AudioSource {
 public:
  virtual ~AudioSource() = default;
  virtual int sampleRate() const = 0;
  virtual int channels() const = 0;
  // Length in frames, or -1 when unknown.
  virtual int64_t frameCount() const = 0;
  // Reads up to `frames` frames into `out` (frames * channels() floats in
  // -1..1). Returns the number read; 0 at the end.
  virtual size_t read(float* out, size_t frames) = 0;
  // Moves to `frame` (clamped to the track). False if the source cannot seek.
  virtual bool seek(int64_t frame) = 0;
  virtual const TrackInfo& info() const = 0;
};

}  // namespace velmo
