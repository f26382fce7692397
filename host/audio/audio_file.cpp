// Audio files through libsndfile.
#include "audio/audio_file.h"

#include <sndfile.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace velmo {
namespace {

std::string baseNameWithoutExtension(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

class SndFileSource : public AudioSource {
 public:
  SndFileSource(SNDFILE* file, const SF_INFO& sfInfo, TrackInfo info)
      : file_(file), sfInfo_(sfInfo), info_(std::move(info)) {}
  ~SndFileSource() override { sf_close(file_); }

  int sampleRate() const override { return sfInfo_.samplerate; }
  int channels() const override { return sfInfo_.channels; }
  int64_t frameCount() const override { return sfInfo_.seekable ? sfInfo_.frames : -1; }
  size_t read(float* out, size_t frames) override {
    sf_count_t got = sf_readf_float(file_, out, static_cast<sf_count_t>(frames));
    return got > 0 ? static_cast<size_t>(got) : 0;
  }
  bool seek(int64_t frame) override {
    if (!sfInfo_.seekable) return false;
    if (frame < 0) frame = 0;
    if (frame > sfInfo_.frames) frame = sfInfo_.frames;
    return sf_seek(file_, frame, SEEK_SET) >= 0;
  }
  const TrackInfo& info() const override { return info_; }

 private:
  SNDFILE* file_;
  SF_INFO sfInfo_;
  TrackInfo info_;
};

}  // namespace

std::unique_ptr<AudioSource> openAudioFile(const std::string& path, std::string* error) {
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
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &sfInfo);
  if (!file) {
    int code = sf_error(nullptr);
    if (code == SF_ERR_SYSTEM) {
      *error = path + ": cannot read (" + sf_strerror(nullptr) + ")";
    } else {
      *error = path + ": not an audio file this player can read (" + sf_strerror(nullptr) + ")";
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
  return std::make_unique<SndFileSource>(file, sfInfo, std::move(info));
}

}  // namespace velmo
