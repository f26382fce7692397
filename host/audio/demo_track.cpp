// The built-in demo track, synthesized sample by sample.
#include "audio/demo_track.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace velmo {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBeat = 60.0 / 128.0;  // 128 beats per minute
constexpr double kBar = 4 * kBeat;
constexpr int kBars = 32;

// A minor, F, C, G: roots as MIDI notes, then the third and fifth above.
constexpr int kRoots[4] = {57, 53, 48, 55};
constexpr int kThirds[4] = {3, 4, 4, 4};

double midiHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// White noise that depends only on the sample index, so seeking is exact.
double noiseAt(int64_t frame) {
  uint32_t x = static_cast<uint32_t>(frame) * 2654435761u + 0x9E3779B9u;
  x ^= x >> 15;
  x *= 0x85EBCA6Bu;
  x ^= x >> 13;
  x *= 0xC2B2AE35u;
  x ^= x >> 16;
  return x / 2147483648.0 - 1.0;
}

// A soft sawtooth: three harmonics.
double warm(double phase) {
  return std::sin(phase) + 0.5 * std::sin(2 * phase) + 0.33 * std::sin(3 * phase);
}

struct Stereo {
  double left = 0, right = 0;
  void add(double v, double pan) {  // pan -1 left .. 1 right
    left += v * (1 - pan) * 0.5;
    right += v * (1 + pan) * 0.5;
  }
};

Stereo synthesize(int64_t frame) {
  Stereo out;
  double t = static_cast<double>(frame) / kDemoSampleRate;
  int bar = static_cast<int>(t / kBar);
  if (bar >= kBars) return out;
  int chord = bar % 4;
  double inBar = t - bar * kBar;
  double inBeat = std::fmod(inBar, kBeat);
  int beat = static_cast<int>(inBar / kBeat);
  double inEighth = std::fmod(inBar, kBeat / 2);
  int sixteenth = static_cast<int>(inBar / (kBeat / 4));
  double inSixteenth = std::fmod(inBar, kBeat / 4);

  bool drums = bar >= 4 && !(bar >= 24 && bar < 28);
  bool bass = bar >= 4;
  bool arp = bar >= 8;
  double fade = bar == kBars - 1 ? 1.0 - inBar / kBar : std::min(1.0, t / 4.0);

  // Pads: the chord, slowly swelling, spread across the stereo field.
  int notes[3] = {kRoots[chord], kRoots[chord] + kThirds[chord], kRoots[chord] + 7};
  double swell = 0.6 + 0.4 * std::sin(2 * kPi * inBar / kBar);
  for (int i = 0; i < 3; ++i) {
    out.add(0.07 * swell * warm(2 * kPi * midiHz(notes[i]) * t), (i - 1) * 0.6);
  }
  if (bass) {
    double env = std::exp(-inEighth * 9);
    out.add(0.28 * env * warm(2 * kPi * midiHz(kRoots[chord] - 24) * t), 0);
  }
  if (drums) {
    // Kick: a falling sine on every beat.
    double kickPhase = 2 * kPi * (50 * inBeat + 100 * (1 - std::exp(-inBeat * 30)) / 30);
    out.add(0.8 * std::exp(-inBeat * 8) * std::sin(kickPhase), 0);
    // Snare on beats two and four.
    if (beat == 1 || beat == 3) {
      double env = std::exp(-inBeat * 18);
      out.add(env * (0.25 * noiseAt(frame) + 0.2 * std::sin(2 * kPi * 190 * inBeat)), 0.1);
    }
    // Hi-hat on the off-beats: differentiated noise is bright.
    if (inBar - std::floor(inBar / kBeat) * kBeat >= kBeat / 2) {
      double env = std::exp(-inEighth * 60);
      out.add(0.5 * env * (noiseAt(frame) - noiseAt(frame - 1)), -0.5);
    }
  }
  if (arp) {
    static const int kSteps[8] = {0, 1, 2, 3, 2, 1, 0, 2};
    int step = kSteps[sixteenth % 8];
    int note = step == 3 ? notes[0] + 12 : notes[step];
    double env = std::exp(-inSixteenth * 14);
    double pan = sixteenth % 2 == 0 ? -0.8 : 0.8;
    double phase = 2 * kPi * midiHz(note + 24) * t;
    out.add(0.12 * env * (warm(phase) + 0.3 * std::sin(4 * phase) + 0.2 * std::sin(6 * phase)), pan);
  }
  out.left *= fade;
  out.right *= fade;
  return out;
}

class DemoTrack : public AudioSource {
 public:
  DemoTrack() {
    info_.artist = "Velmo";
    info_.title = "Demo";
  }
  int sampleRate() const override { return kDemoSampleRate; }
  int channels() const override { return 2; }
  int64_t frameCount() const override { return static_cast<int64_t>(kDemoSeconds * kDemoSampleRate); }
  size_t read(float* out, size_t frames) override {
    size_t n = 0;
    for (; n < frames && position_ < frameCount(); ++n, ++position_) {
      Stereo s = synthesize(position_);
      out[2 * n] = static_cast<float>(std::tanh(s.left));
      out[2 * n + 1] = static_cast<float>(std::tanh(s.right));
    }
    return n;
  }
  bool seek(int64_t frame) override {
    position_ = frame < 0 ? 0 : (frame > frameCount() ? frameCount() : frame);
    return true;
  }
  const TrackInfo& info() const override { return info_; }

 private:
  int64_t position_ = 0;
  TrackInfo info_;
};

}  // namespace

std::unique_ptr<AudioSource> openDemoTrack() { return std::make_unique<DemoTrack>(); }

}  // namespace velmo
