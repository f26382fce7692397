// Where a render's pictures go: a video file with the track's sound, a
// folder of numbered PNG frames, or one PNG at the snapshot's moment.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "commands/render_job.h"
#include "output/atomic_file.h"
#include "output/frame.h"
#include "output/frame_folder.h"
#include "output/frame_pipeline.h"
#include "output/video_encoder.h"

namespace velmo {

enum class OutputKind { Video,
                        PngFolder,
                        Snapshot };

// A snapshot when --at is given; PNG frames when the output is a folder or
// ends in '/'; else a video file.
OutputKind chooseOutputKind(const RenderJob& job);

class RenderOutput {
 public:
  RenderOutput(const RenderJob& job, OutputKind kind);
  ~RenderOutput();
  OutputKind kind() const { return kind_; }

  // Before anything is opened: refuses a video name whose container cannot
  // hold H.264 with AAC, and an output that is the input itself (also
  // through links). False with `error`.
  bool check(std::string* error) const;
  // Whether the output is there already: a file, or a folder with frames
  // (devices and pipes hold nothing to lose). True with `error` saying so.
  bool replacesEarlierOutput(std::string* error) const;
  // A pipe as output is opened once a reader is there (or the job's stop
  // flag ends the wait). Makes a fresh folder for PNG frames, or starts the video (under a
  // temporary name, see AtomicFile) for the job's picture size and stereo
  // sound at `sampleRate`, of which it keeps `audioFrames` frames (-1: all
  // it gets). The snapshot is frame `lastFrame` (-1: none, the moment lies
  // beyond any length). Then starts the writers: a video's frames are
  // converted and encoded, PNG frames compressed on threads of their own
  // while the next frames are drawn. False with `error`.
  bool open(int sampleRate, int64_t audioFrames, int64_t lastFrame, std::string* error);

  // Whether frame `index` is kept (a snapshot keeps only its own); the
  // others need not be handed over at all.
  bool wantsFrame(int64_t index) const { return kind_ != OutputKind::Snapshot || index == snapshotFrame_; }
  // Frame `index` of the run, copied: the caller's pixels are free on return.
  void addFrame(const Frame& frame, int64_t index);
  // Sound as read from the track, `channels` interleaved; a video keeps it,
  // held back until releaseAudio() says its frames are drawn. False once a
  // write has failed.
  bool addAudio(const float* interleaved, int channels, size_t frames);
  // The sound up to track frame `end` goes on with the frames drawn, so a
  // render stopped early holds no sound past its last frame.
  bool releaseAudio(int64_t end);
  // A video's sound ends at track frame `end` at the latest (a render
  // stopped before the track's end).
  void endAudioAt(int64_t end);
  // Writes what is queued and the sound held (up to endAudioAt) and puts it
  // in the output's place; a render `stoppedEarly` is kept as
  // AtomicFile::keepPartial and FrameFolder::keepPartial say (beside the
  // output in a batch). False once a write has failed.
  bool finish(bool stoppedEarly);
  // Where the output went (see placedAt() of AtomicFile and FrameFolder).
  const std::string& placedAt() const;
  // Whether the output had something in its place when this was made, and
  // again at open().
  bool targetWasThere() const { return targetWasThere_; }

  // Whether a write has failed (the render stops there).
  bool failed() const { return !error_.empty() || writers_.failed(); }
  // The first write that failed, once finish() has returned; or empty.
  const std::string& error() const { return error_; }
  // After a failure: drops what is queued, removes the unfinished video (a
  // file that was there before stays as it was) and returns the message for
  // the user.
  std::string abandon();
  // Whether a snapshot found its frame.
  bool snapshotWritten() const { return snapshotWritten_; }
  // "wrote FILE (N frames)" or "wrote N frames to FOLDER"; empty for a
  // snapshot. Says so when a file took the output's name meanwhile.
  std::string doneLine(int64_t frames) const;
  // What a second signal leaves: a video's from the start, a folder's once
  // open() has run.
  std::string secondSignalNote() const;

 private:
  bool targetExists() const;
  void startWriters();
  void closePipeEnd();
  // On a writer thread (on the caller's for a snapshot).
  bool writeFrame(const Frame& frame, int64_t index, std::string* error);

  const RenderJob& job_;
  OutputKind kind_;
  AtomicFile videoFile_;
  FrameFolder frames_;
  int pipeEnd_ = -1;  // held open while a pipe is the output, so the writers' open returns at once
  bool targetWasThere_ = false;
  std::string snapshotPlacedAt_;
  VideoEncoder encoder_;
  FramePipeline writers_;         // after the encoder: its threads end before the encoder goes
  std::vector<float> heldSound_;  // stereo, from track frame audioKept_ on
  int64_t audioLimit_ = -1;
  int64_t audioKept_ = 0;
  int64_t snapshotFrame_ = -1;
  bool snapshotWritten_ = false;
  std::string error_;
};

}  // namespace velmo
