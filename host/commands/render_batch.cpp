// Batches of renders, one track after another.
#include "commands/render_batch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <set>

#include "audio/audio_file.h"
#include "commands/interrupts.h"
#include "commands/render_timing.h"
#include "commands/report.h"
#include "output/progress_bar.h"

namespace velmo {
namespace {

// The folder exists, or is made when its name ends in '/' (so that a slip,
// "-o out.mp4" after several files, makes no folder of that name); false with
// `error`.
bool makeFolder(const std::string& folder, std::string* error) {
  struct stat st;
  if (stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  if (folder.back() != '/') {
    *error = folder + ": with several audio files -o names a folder, which gets a video for each (end it in '/' to have it made)";
    return false;
  }
  if (mkdir(folder.c_str(), 0777) == 0) return true;
  *error = folder + ": cannot create the folder (" + std::strerror(errno) + ")";
  return false;
}

// "music/b.flac" into "out/" gives "out/b.mp4", or "out/b/" for PNG frames.
std::string outputFor(const std::string& file, const std::string& folder, bool png) {
  const size_t slash = file.find_last_of('/');
  std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  const std::string base = folder.back() == '/' ? folder : folder + "/";
  return base + name + (png ? "/" : ".mp4");
}

// The seconds a track will render, for the time left; -1 when unknown (its
// failure, if it fails, is reported in its turn).
double plannedSeconds(const RenderJob& job) {
  std::string error;
  std::unique_ptr<AudioSource> source = openAudioFile(job.input, &error);
  RenderTiming timing;
  if (!source || !planRenderTiming(job, source->frameCount(), source->sampleRate(), &timing, &error)) return -1;
  return timing.seconds;
}

std::string listed(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
  return list;
}

}  // namespace

int runRenderBatch(const RenderJob& job, const std::vector<std::string>& files) {
  std::string error;
  if (!makeFolder(job.output, &error)) return fail(error);

  std::vector<RenderJob> jobs;
  std::vector<double> lengths;
  double total = 0;
  for (const std::string& file : files) {
    RenderJob track = job;
    track.input = file;
    track.output = outputFor(file, job.output, job.png);
    track.inBatch = true;
    jobs.push_back(track);
    lengths.push_back(plannedSeconds(track));
    total += lengths.back() > 0 ? lengths.back() : 0;
  }

  ProgressBar bar(job.progress && isatty(STDERR_FILENO), total);
  std::vector<std::string> written, failed, skipped;
  std::set<std::string> outputs;
  std::string interrupted;
  double before = 0;
  for (size_t i = 0; i < jobs.size(); ++i) {
    const RenderJob& track = jobs[i];
    if (stopRequested().load()) {
      skipped.push_back(track.input);
      continue;
    }
    std::string message;
    RenderEnd end = RenderEnd::Failed;
    if (!outputs.insert(track.output).second) {
      message = track.input + ": its output " + track.output + " is that of an earlier file of the batch; render it on its own";
    } else {
      bar.beginPart("song " + std::to_string(i + 1) + " of " + std::to_string(jobs.size()), before);
      end = renderTrack(track, &bar, &message);
    }
    before += lengths[i] > 0 ? lengths[i] : 0;
    if (end == RenderEnd::Done) {
      written.push_back(track.output);
      continue;
    }
    bar.finish();
    say(message);
    if (end == RenderEnd::Interrupted) {
      interrupted = track.output;
    } else {
      failed.push_back(track.input);
    }
  }
  bar.finish();

  std::string summary = "wrote " + std::to_string(written.size()) + " of " + std::to_string(jobs.size());
  if (!written.empty()) summary += ": " + listed(written);
  if (!interrupted.empty()) summary += "; interrupted: " + interrupted + " (its beginning)";
  if (!failed.empty()) summary += "; failed: " + listed(failed);
  if (!skipped.empty()) summary += "; not rendered: " + listed(skipped);
  say(summary);
  if (interruptSignal() != 0) return interruptedStatus();
  return failed.empty() ? 0 : 1;
}

}  // namespace velmo
