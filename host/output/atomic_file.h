// An output file written under a temporary name beside its target and renamed
// over the target only when complete, so a failed or interrupted write never
// destroys the file that was there.
#pragma once
#include <string>

namespace velmo {

class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile();  // abandons a file not committed
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file, exclusively, in the target's folder; its name
  // ends as the target's does (".mp4"), for libraries that go by the name. A
  // target that is a symbolic link keeps its link: the file it names is
  // replaced. A target that exists but is no regular file (/dev/null, a pipe)
  // is written directly, as there is nothing in it to lose. False, with
  // `error` naming the target and the reason, when nothing could be created.
  bool create(const std::string& target, std::string* error);
  // Where the writer writes: the temporary file (or the target itself, above).
  const std::string& path() const { return path_; }

  // Puts the written file in the target's place, with the target's
  // permissions when it had some. False with `error`; the temporary file is
  // then removed.
  bool commit(std::string* error);
  // Removes the temporary file; the target stays as it was.
  void abandon();

 private:
  std::string target_;
  std::string path_;
  unsigned mode_ = 0;  // the permissions of the file replaced
  int slot_ = -1;      // in the list of pending files
  bool pending_ = false;
  bool direct_ = false;
  bool replacing_ = false;
};

// Removes the temporary file of every AtomicFile neither committed nor
// abandoned. Async-signal-safe, for a signal handler; it also runs at exit,
// so a plug-in that ends the process leaves no half-written file behind.
void abandonPendingFiles();

}  // namespace velmo
