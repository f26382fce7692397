// Batches of renders, one track after another.
#include "commands/render_batch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <set>
#include <utility>

#include "audio/audio_file.h"
#include "commands/interrupts.h"
#include "commands/render_timing.h"
#include "commands/report.h"
#include "output/output_paths.h"
#include "output/progress_bar.h"

namespace velmo {
namespace {

// The folder exists, or is made when its name ends in '/' (so that a slip,
// "-o out.mp4" after several files, makes no folder of that name); false with
// `error`.
bool makeFolder(const std::string& folder, std::string* error) {
  struct stat st;
  if (stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  const std::string why = notAFolder(folder);
  if (!why.empty()) {
    *error = folder + ": " + why + "; with several audio files -o names a folder";
    return false;
  }
  if (folder.empty() || folder.back() != '/') {
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

using FileId = std::pair<dev_t, ino_t>;

bool fileId(const std::string& path, FileId* id) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  *id = {st.st_dev, st.st_ino};
  return true;
}

struct Track {
  RenderJob job;
  double seconds = -1;
  std::string refusal;     // why it is not rendered, known before anything is written
  bool duplicate = false;  // an earlier file of the batch, by another name or the same
};

// Every track's job, and what refuses it: a pipe or device (its open would
// wait, and a pipe can be read once), a file given twice, an output that is
// one of the batch's inputs by any name.
std::vector<Track> planTracks(const RenderJob& job, const std::vector<std::string>& files) {
  std::set<FileId> inputs, seen;
  for (const std::string& file : files) {
    FileId id;
    if (fileId(file, &id)) inputs.insert(id);
  }
  std::vector<Track> tracks;
  std::set<std::string> seenNames;
  for (const std::string& file : files) {
    Track track;
    track.job = job;
    track.job.input = file;
    track.job.output = outputFor(file, job.output, job.png);
    track.job.inBatch = true;
    struct stat st {};
    FileId outputId;
    const bool exists = stat(file.c_str(), &st) == 0;
    if (exists ? !seen.insert({st.st_dev, st.st_ino}).second : !seenNames.insert(file).second) {
      track.duplicate = true;
    } else if (exists && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
      track.refusal = file + ": not a regular file; a batch renders files only (render a pipe or device on its own)";
    } else if (fileId(track.job.output, &outputId) && inputs.count(outputId)) {
      track.refusal = file + ": its output " + track.job.output + " is an input of this batch; name another folder";
    } else if (exists && S_ISREG(st.st_mode)) {
      track.seconds = plannedSeconds(track.job);
    }
    tracks.push_back(std::move(track));
  }
  return tracks;
}

std::string listed(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + shownName(name);
  return list;
}

}  // namespace

int runRenderBatch(const RenderJob& job, const std::vector<std::string>& files) {
  std::string error;
  if (!lengthHoldsAFrame(job, &error)) return fail(error);
  if (!makeFolder(job.output, &error)) return fail(error);
  std::vector<Track> tracks = planTracks(job, files);

  double total = 0;
  size_t count = 0;
  for (const Track& track : tracks) {
    count += track.duplicate ? 0 : 1;
    // One length unknown leaves the whole unknown: a total that is too short misleads.
    if (total >= 0 && !track.duplicate && track.refusal.empty()) total = track.seconds >= 0 ? total + track.seconds : -1;
  }
  ProgressBar bar(job.progress && isatty(STDERR_FILENO), total, true);
  std::vector<std::string> written, failed, there, notRendered;
  std::set<std::string> taken;  // outputs this batch has written
  std::string interrupted;
  double before = 0;
  size_t number = 0;
  for (const Track& track : tracks) {
    const RenderJob& one = track.job;
    if (track.duplicate) {
      say(one.input + ": given twice; rendered once");
      continue;
    }
    ++number;
    if (stopRequested().load()) {
      notRendered.push_back(one.input);
      continue;
    }
    std::string message = track.refusal, placedAt;
    RenderEnd end = RenderEnd::Failed;
    if (message.empty() && taken.count(one.output)) {
      message = one.input + ": its output " + one.output + " is that of an earlier file of the batch; render it on its own";
    } else if (message.empty()) {
      bar.beginPart("song " + std::to_string(number) + " of " + std::to_string(count), before);
      end = renderTrack(one, &bar, &message, &placedAt);
    }
    before += track.seconds > 0 ? track.seconds : 0;
    if (end == RenderEnd::Done) {
      // Put beside a file that took its name meanwhile: said, and listed where it is.
      const bool beside = !placedAt.empty() && placedAt != one.output && !job.png;
      if (beside) {
        bar.finish();
        say(message);
      }
      written.push_back(beside ? placedAt : one.output);
      taken.insert(one.output);
      continue;
    }
    bar.finish();
    if (end == RenderEnd::AlreadyThere) {
      say(one.input + ": " + one.output + " is there already; skipped (--force renders it again)");
      there.push_back(one.input);
      continue;
    }
    say(message);
    if (end == RenderEnd::Interrupted) {
      interrupted = placedAt.empty() ? one.output : placedAt;
      taken.insert(one.output);
    } else {
      failed.push_back(one.input);
    }
  }
  bar.finish();

  std::string summary = "wrote " + std::to_string(written.size()) + " of " + std::to_string(count);
  if (!written.empty()) summary += ": " + listed(written);
  if (!there.empty()) summary += "; skipped, their output there already: " + listed(there);
  if (!interrupted.empty()) summary += "; interrupted: " + shownName(interrupted) + " (its beginning)";
  if (!failed.empty()) summary += "; failed: " + listed(failed);
  if (!notRendered.empty()) summary += "; not rendered: " + listed(notRendered);
  say(summary);
  if (interruptSignal() != 0) return interruptedStatus();
  return failed.empty() ? 0 : 1;
}

}  // namespace velmo
