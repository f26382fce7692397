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
  // ends as the target's does (".mp4"), for libraries that go by the name,
  // and is cut to fit a folder entry. A target that is a symbolic link keeps
  // its link: the file it names is written, and made when the link dangles.
  // A target that exists but is no regular file (/dev/null, a pipe) is
  // written directly, as there is nothing in it to lose. False, with `error`
  // naming the target and the reason, when nothing could be created.
  bool create(const std::string& target, std::string* error);
  // Where the writer writes: the temporary file (or the target itself, above).
  const std::string& path() const { return path_; }
  // Whether a file was in the target's place when create() ran.
  bool replacing() const { return replacing_; }

  // Puts the written file in the target's place, with the target's
  // permissions when it had some. Only with `replace` does it take the place
  // of a file there; a file that took the name meanwhile otherwise stays, and
  // the new one goes beside it ("song.new.mp4", see placedAt()). False with
  // `error`; the temporary file is then removed.
  bool commit(bool replace, std::string* error);
  // Keeps an unfinished file: in the target's place when nothing is there and
  // `besideAlways` is false, else beside it as "song.partial.mp4", never
  // replacing anything. False with `error` (abandon() removes the file).
  bool keepPartial(bool besideAlways, std::string* error);
  // Where commit() or keepPartial() put the file: the target as it was given,
  // or the name beside it; named from the folder the target was given in.
  const std::string& placedAt() const { return placedAt_; }
  // Removes the temporary file (through the folder it was made in, wherever
  // that has been moved); the target stays as it was.
  void abandon();

  // The file abandonPendingFiles() removes; public for its list only.
  struct Pending {
    int folder = -1;  // an O_PATH handle of the folder
    std::string name;
  };

 private:
  bool place(bool inPlace, const std::string& tag, bool replace, std::string* error);
  void release();

  std::string given_;   // the target as named by the caller
  std::string target_;  // through links
  std::string path_;
  std::string placedAt_;
  Pending pending_;
  unsigned mode_ = 0;  // the permissions of the file replaced
  int slot_ = -1;      // in the list of pending files
  bool isPending_ = false;
  bool direct_ = false;
  bool replacing_ = false;
};

// Removes the temporary file of every AtomicFile neither committed nor
// abandoned. Async-signal-safe, for a signal handler; it also runs at exit,
// so a plug-in that ends the process leaves no half-written file behind.
void abandonPendingFiles();

}  // namespace velmo
