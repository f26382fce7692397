// Headless rendering to video, PNG frames or a snapshot.
#include "commands/render_job.h"

#include <unistd.h>

#include <climits>
#include <cstdint>
#include <memory>

#include "audio/audio_file.h"
#include "audio/audio_pump.h"
#include "audio/demo_track.h"
#include "commands/interrupts.h"
#include "commands/render_output.h"
#include "commands/render_timing.h"
#include "commands/report.h"
#include "output/progress_bar.h"
#include "vis/vis_picture.h"

namespace velmo {
namespace {

// The file to render, or the demo track; null, with `error`, when it cannot
// be read or holds no audio.
std::unique_ptr<AudioSource> openTrack(const RenderJob& job, std::string* error) {
  std::unique_ptr<AudioSource> source = job.input.empty() ? openDemoTrack() : openAudioFile(job.input, error, job.stop);
  if (source && source->frameCount() == 0) {
    *error = (job.input.empty() ? "the demo" : job.input) + ": holds no audio";
    return nullptr;
  }
  return source;
}

// One render: the track read ahead of the frames, the plug-in drawing each
// frame from the spectrum at the frame's moment, and its pictures and the
// track's sound going to the output.
class RenderRun {
 public:
  RenderRun(const RenderJob& job, AudioSource* source, const RenderTiming& timing, RenderOutput* output)
      : job_(job),
        source_(source),
        timing_(timing),
        output_(output),
        pump_(source, [this](const float* block, size_t frames) {
          return output_->addAudio(block, source_->channels(), frames);
        }) {}

  // Loads the plug-in and opens the output. False with `error`.
  bool open(std::string* error) {
    // The play position the plug-in asks for is the time of the frame drawn.
    controls_.positionMs = 0;
    controls_.state = 1;
    controls_.lengthSeconds = timing_.seconds >= 0 && timing_.seconds < INT_MAX ? static_cast<int>(timing_.seconds) : -1;
    if (!picture_.open(job_.pluginPath, job_.scale, job_.dither, &controls_, error)) return false;
    const TrackInfo& info = source_->info();
    picture_.session().setCaption(hostCaption(1, info.artist, info.title));
    return output_->open(source_->sampleRate(), timing_.audioTotal, timing_.frameTotal - 1, error);
  }

  bool start(std::string* error) { return picture_.session().start(source_->sampleRate(), source_->channels(), error); }

  // Draws frame after frame until the length is reached, the track ends
  // (a file cut short ends before the length its header gives), the output
  // fails or the job's stop flag is set.
  void drawFrames(ProgressBar* bar) {
    const int rate = source_->sampleRate();
    for (frameIndex_ = 0; timing_.frameTotal < 0 || frameIndex_ < timing_.frameTotal;) {
      const int64_t moment = frameMoment(frameIndex_, rate, job_.fps);
      pump_.readUpTo(moment + kSpectrumWindow / 2);
      // No frame past the sound read, but a snapshot may sit at its very end.
      const int64_t end = pump_.history().end();
      if (pump_.ended() && (moment > end || (moment == end && output_->kind() != OutputKind::Snapshot))) break;
      controls_.positionMs = framePositionMs(frameIndex_, job_.fps);
      takeFrames(output_->wantsFrame(frameIndex_));
      picture_.renderAt(pump_.history(), moment);
      picture_.session().pumpMessages();
      output_->releaseAudio(frameMoment(frameIndex_ + 1, rate, job_.fps));
      if (output_->failed()) break;
      bar->update(static_cast<double>(++frameIndex_) / job_.fps);
      if (job_.stop && job_.stop->load()) {
        stopped_ = true;
        break;
      }
    }
  }
  int64_t framesDrawn() const { return frameIndex_; }
  bool stopped() const { return stopped_; }
  // The length of the track as read so far.
  double secondsRead() const { return static_cast<double>(pump_.history().end()) / source_->sampleRate(); }

  // Quits the plug-in; a video gets the rest of its sound (up to its last
  // frame when stopped early) and its trailer.
  bool finish() {
    picture_.session().stop();
    const int64_t stoppedAt = frameMoment(frameIndex_, source_->sampleRate(), job_.fps);
    if (stopped_) output_->endAudioAt(stoppedAt);
    if (!output_->failed() && output_->kind() == OutputKind::Video) {
      const int64_t trackEnd = timing_.audioTotal >= 0 ? timing_.audioTotal : INT64_MAX;
      pump_.readUpTo(stopped_ ? stoppedAt : trackEnd);
    }
    return output_->finish(stopped_);
  }

 private:
  // Whether our Glide hands frames over: only those the output keeps, so a
  // snapshot's run up to its moment converts and copies nothing.
  void takeFrames(bool take) {
    if (take == takingFrames_) return;
    takingFrames_ = take;
    if (take) {
      picture_.session().onFrame([this](const Frame& frame) { output_->addFrame(frame, frameIndex_); });
    } else {
      picture_.session().onFrame(nullptr);
    }
  }

  const RenderJob& job_;
  AudioSource* source_;
  const RenderTiming& timing_;
  RenderOutput* output_;
  FixedControls controls_;
  VisPicture picture_;
  AudioPump pump_;
  int64_t frameIndex_ = 0;
  bool takingFrames_ = false;
  bool stopped_ = false;
};

bool stopAsked(const RenderJob& job) { return job.stop && job.stop->load(); }

std::string withoutFinalSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// "interrupted at 0:06 of 2:00: the first 6 s are in song.mp4"; in a batch
// the track is named first. Kept beside the output, both are named.
std::string interruptedLine(const RenderJob& job, const RenderOutput& output, const RenderTiming& timing,
                            double seconds) {
  std::string where = (job.inBatch ? job.input + ": " : "") + "interrupted at " + clockText(seconds);
  if (timing.seconds >= 0) where += " of " + clockText(timing.seconds);
  if (output.kind() == OutputKind::Snapshot) return where + ": no snapshot was written";
  std::string line = where + ": the first " + secondsText(seconds, 1) + " are in " + output.placedAt();
  if (withoutFinalSlash(output.placedAt()) == withoutFinalSlash(job.output)) return line;
  if (output.targetWasThere()) return line + "; " + job.output + " is as it was";
  return line + " (a rerun renders it again)";
}

}  // namespace

RenderEnd renderTrack(const RenderJob& job, ProgressBar* bar, std::string* message, std::string* placedAt) {
  RenderOutput output(job, chooseOutputKind(job));
  if (!output.check(message)) return RenderEnd::Failed;
  if (!job.force && output.replacesEarlierOutput(message)) return RenderEnd::AlreadyThere;
  std::unique_ptr<AudioSource> source = openTrack(job, message);
  // A pipe's open waits for a writer until a signal.
  if (!source) return stopAsked(job) ? RenderEnd::Interrupted : RenderEnd::Failed;
  RenderTiming timing;
  if (!planRenderTiming(job, source->frameCount(), source->sampleRate(), &timing, message)) return RenderEnd::Failed;
  bar->partLength(timing.seconds);

  RenderRun run(job, source.get(), timing, &output);
  // A video's note is known before its file is made, so a second signal
  // while it is being opened says what stays too; a folder's names the
  // folder that opening makes.
  if (output.kind() != OutputKind::PngFolder) setSecondInterruptNote(output.secondSignalNote());
  if (!run.open(message)) return stopAsked(job) ? RenderEnd::Interrupted : RenderEnd::Failed;
  setSecondInterruptNote(output.secondSignalNote());
  if (!run.start(message)) {
    output.abandon();
    return RenderEnd::Failed;
  }
  run.drawFrames(bar);
  const bool finished = run.finish();
  setSecondInterruptNote("stopped at once");
  if (placedAt) *placedAt = output.placedAt();
  if (!finished) {
    *message = output.abandon();
    return RenderEnd::Failed;
  }
  const double seconds = static_cast<double>(run.framesDrawn()) / job.fps;
  if (run.stopped()) {
    *message = interruptedLine(job, output, timing, seconds);
    return RenderEnd::Interrupted;
  }
  if (output.kind() == OutputKind::Snapshot && !output.snapshotWritten()) {
    *message = momentBeyondTheEnd(job.snapshotAt, run.secondsRead());
    return RenderEnd::Failed;
  }
  *message = output.doneLine(run.framesDrawn());
  return RenderEnd::Done;
}

int runRenderJob(const RenderJob& job) {
  std::string refusal;
  if (!lengthHoldsAFrame(job, &refusal)) return fail(refusal);
  // The length is known once the track is open; the bar learns it then.
  ProgressBar bar(job.progress && isatty(STDERR_FILENO), -1);
  std::string message;
  const RenderEnd end = renderTrack(job, &bar, &message);
  bar.finish();
  if (!message.empty()) say(message);
  if (end == RenderEnd::Interrupted) return interruptedStatus();
  return end == RenderEnd::Done ? 0 : 1;
}

}  // namespace velmo
