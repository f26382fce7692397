// The player's transport: a playlist of files (or the demo track), decoding
// ahead into the audio output, play / pause / stop / next / previous / seek /
// volume as Winamp's main window keys ask, and the position being heard.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_output.h"
#include "audio/audio_source.h"
#include "audio/feed.h"
#include "audio/pcm_history.h"

namespace velmo {

enum class PlayState { Stopped,
                       Playing,
                       Paused };

class Transport : public Feed {
 public:
  // An empty path in `playlist` stands for the demo track.
  Transport(std::vector<std::string> playlist, AudioOutput* output);

  // Opens the first track that can be read. False, with `error` listing
  // why, when none can.
  bool begin(std::string* error);
  // Keeps about a third of a second queued; moves to the next track at the
  // end of one, and stops after the last.
  void fill() override;

  PlayState state() const { return state_; }
  // The frame of the current track being heard now (0 when stopped).
  int64_t heardFrame() override;
  bool sounding() override { return state_ != PlayState::Stopped; }
  bool canLookAhead() const override { return true; }
  int sampleRate() const override;
  int channels() const override;
  const PcmHistory& history() const override { return history_; }
  // "N. Artist - Title - Winamp" for the current track.
  std::string caption() const override;
  bool quitRequested() const override { return quit_; }
  bool ended() const override { return ended_; }
  int trackNumber() const { return index_ + 1; }
  float volume() const { return volume_; }

  // Told whenever the current track changes (for the caption).
  void onTrackChange(std::function<void()> listener) { trackListener_ = std::move(listener); }

  void play();
  void pause();  // toggles between playing and paused
  void stop();
  void next();
  void previous();
  void seekBy(double seconds);
  void changeVolume(float step);

  // HostControls
  int playPositionMs() override;
  int trackLengthSeconds() override;
  int playState() override;
  void keyPressed(unsigned virtualKey) override;
  void closeRequested() override { quit_ = true; }

 private:
  bool openTrack(int index, std::string* error);
  bool openNextReadable(int from, int step);
  void restartAt(int64_t frame);

  std::vector<std::string> playlist_;
  AudioOutput* output_;
  std::unique_ptr<AudioSource> source_;
  PcmHistory history_;
  std::vector<float> buffer_;
  std::vector<float> scaled_;
  int index_ = 0;
  int64_t startFrame_ = 0;  // track frame at which the output's count began
  PlayState state_ = PlayState::Stopped;
  float volume_ = 1.0f;
  bool quit_ = false;
  bool ended_ = false;
  std::function<void()> trackListener_;
};

}  // namespace velmo
