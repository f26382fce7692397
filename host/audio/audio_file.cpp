// Audio files through libsndfile.
#include "audio/audio_file.h"

#include <sndfile.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "audio/library_log.h"
#include "output/pipe_ends.h"

namespace velmo {
namespace {

std::string baseNameWithoutExtension(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

// The length libsndfile gives, or -1 when it is unknown: a pipe, or a length
// no file of this size can hold (a cut-short Ogg file reports the largest
// count there is). No codec packs more than a second of sound into a byte.
int64_t plausibleLength(const SF_INFO& sfInfo, int64_t fileBytes) {
  if (!sfInfo.seekable || sfInfo.frames < 0) return -1;
  return sfInfo.frames / sfInfo.samplerate > fileBytes ? -1 : sfInfo.frames;
}

class SndFileSource : public AudioSource {
 public:
  SndFileSource(SNDFILE* file, const SF_INFO& sfInfo, int64_t length, TrackInfo info)
      : file_(file), sfInfo_(sfInfo), length_(length), info_(std::move(info)) {}
  ~SndFileSource() override { sf_close(file_); }

  int sampleRate() const override { return sfInfo_.samplerate; }
  int channels() const override { return sfInfo_.channels; }
  int64_t frameCount() const override { return length_; }
  size_t read(float* out, size_t frames) override {
    QuietLibrary quiet;
    sf_count_t got = sf_readf_float(file_, out, static_cast<sf_count_t>(frames));
    return got > 0 ? static_cast<size_t>(got) : 0;
  }
  bool seek(int64_t frame) override {
    if (!sfInfo_.seekable) return false;
    if (frame < 0) frame = 0;
    if (length_ >= 0 && frame > length_) frame = length_;
    QuietLibrary quiet;
    return sf_seek(file_, frame, SEEK_SET) >= 0;
  }
  const TrackInfo& info() const override { return info_; }

 private:
  SNDFILE* file_;
  SF_INFO sfInfo_;
  int64_t length_;
  TrackInfo info_;
};

}  // namespace

std::unique_ptr<AudioSource> openAudioFile(const std::string& path, std::string* error,
                                           const std::atomic<bool>* stop) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    *error = path + ": " + std::strerror(errno);
    return nullptr;
  }
  if (S_ISDIR(st.st_mode)) {
    *error = path + ": is a folder, not an audio file";
    return nullptr;
  }
  SF_INFO sfInfo{};
  SNDFILE* file;
  {
    QuietLibrary quiet;
    if (S_ISFIFO(st.st_mode)) {
      const int fd = openPipeEnd(path, false, stop);
      if (fd < 0) {
        *error = path + (errno == EINTR ? ": stopped while waiting for a writer to the pipe" : ": " + std::string(std::strerror(errno)));
        return nullptr;
      }
      file = sf_open_fd(fd, SFM_READ, &sfInfo, SF_TRUE);
    } else {
      file = sf_open(path.c_str(), SFM_READ, &sfInfo);
    }
  }
  if (!file) {
    const int code = sf_error(nullptr);
    const std::string reason = sf_strerror(nullptr);
    if (code == SF_ERR_SYSTEM) {
      *error = path + ": cannot read (" + reason + ")";
    } else if (code == SF_ERR_UNRECOGNISED_FORMAT || code == SF_ERR_MALFORMED_FILE ||
               code == SF_ERR_UNSUPPORTED_ENCODING || !S_ISREG(st.st_mode)) {
      *error = path + ": not an audio file this player can read (" + reason + ")";
    } else {
      // libsndfile's words here would be a guess about pipes.
      *error = path + ": not an audio file this player can read";
    }
    return nullptr;
  }
  if (sfInfo.channels < 1 || sfInfo.samplerate < 1000 || sfInfo.samplerate > 768000) {
    sf_close(file);
    *error = path + ": unsupported sample rate or channel count";
    return nullptr;
  }
  TrackInfo info;
  if (const char* artist = sf_get_string(file, SF_STR_ARTIST)) info.artist = artist;
  if (const char* title = sf_get_string(file, SF_STR_TITLE)) info.title = title;
  if (info.title.empty()) info.title = baseNameWithoutExtension(path);
  const int64_t length = plausibleLength(sfInfo, S_ISREG(st.st_mode) ? st.st_size : 0);
  return std::make_unique<SndFileSource>(file, sfInfo, length, std::move(info));
}

}  // namespace velmo
