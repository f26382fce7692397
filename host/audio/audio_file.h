// Audio files through libsndfile: WAV, FLAC, Ogg Vorbis, Opus, MP3, AIFF and
// the other formats of Debian's build.
#pragma once
#include <atomic>
#include <memory>
#include <string>
#include "audio/audio_source.h"

namespace velmo {

// Opens `path`. On failure returns null and sets `error` to a sentence that
// names the file and the reason (missing, unreadable, not audio). A named
// pipe is opened once a writer is there, or not at all once `stop` is set.
std::unique_ptr<AudioSource> openAudioFile(const std::string& path, std::string* error,
                                           const std::atomic<bool>* stop = nullptr);

}  // namespace velmo
