// Headless rendering, as fast as the machine allows: the plug-in's picture for
// a track written to a video file with the audio muxed in, to a folder of PNG
// frames, or as one PNG snapshot at a given moment.
#pragma once
#include <atomic>
#include <string>

namespace velmo {

struct RenderJob {
  std::string pluginPath;
  std::string input;   // empty: the demo track
  std::string output;  // video file, folder for PNG frames, or PNG (snapshot)
  bool png = false;    // PNG frames into the output folder, whatever its name
  bool force = false;  // replace an existing output
  int fps = 75;
  int scale = 1;           // our Glide renders at scale x 640 x 480
  bool dither = false;     // the board's 16-bit look
  double maxSeconds = -1;  // stop earlier than the track's end
  double snapshotAt = -1;  // >= 0: write only the frame at this moment
  bool progress = true;    // a progress bar on standard error
  bool inBatch = false;    // one of several tracks: messages name the track
  std::string preset = "veryfast";
  // Frames drawn ahead of the writing (encoding, PNG compression); 0: each
  // frame is written as it is drawn, on the drawing thread; -1: as suits
  // the output.
  int queueDepth = -1;
  // Set (by a signal handler, say) to stop after the frame being drawn: what
  // is queued is written and the video closed, as if the track ended there.
  const std::atomic<bool>* stop = nullptr;
};

class ProgressBar;

enum class RenderEnd { Done,
                       Failed,
                       AlreadyThere,  // the output exists and the job has no `force`
                       Interrupted };

// Renders one track, the progress shown on `bar`. `message` gets the line
// for the user: what was written (empty for a snapshot), what went wrong, or
// how far an interrupted render came and where that much is. A stop asked
// while a pipe's open waits for its partner ends it as Interrupted.
// `placedAt`, when given, gets where the output went (see RenderOutput).
RenderEnd renderTrack(const RenderJob& job, ProgressBar* bar, std::string* message, std::string* placedAt = nullptr);

// One track, its own progress bar. Returns the process exit status: 0 done,
// 1 when the job could not be done, 128 + the signal when one stopped it
// (messages already printed on standard error).
int runRenderJob(const RenderJob& job);

}  // namespace velmo
