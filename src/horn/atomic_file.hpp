// A file replaced whole or not at all: written to a temporary file beside the target, synced, and
// renamed over it only when the run succeeds. A failed run leaves an existing file as it was. A
// target that exists and is no regular file (a device, a pipe) is written in place.
#pragma once

#include <string>

namespace zavolt::horn {

class AtomicFile {
public:
  // Creates "<dir>/.<name>.XXXXXX" beside `path`; throws WriteFailure naming `path` when the
  // folder does not exist or cannot be written.
  explicit AtomicFile(const std::string& path);
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  // Without commit(), the temporary file is removed and the target is untouched.
  ~AtomicFile();

  [[nodiscard]] int fd() const noexcept { return fd_; }
  [[nodiscard]] const std::string& path() const noexcept { return path_; }
  // Where a writer that takes a file name (the STEP and STL writers) writes: the temporary file,
  // or the target itself when that is written in place.
  [[nodiscard]] const std::string& written_path() const noexcept { return temporary_.empty() ? path_ : temporary_; }

  // fsync, close and rename over the target, whose permissions an existing file keeps (a new one
  // gets 0666 less the umask, as open() would give it). Throws WriteFailure naming the target.
  void commit();

private:
  std::string path_;       // as given, for messages
  std::string target_;     // the file renamed over: path_, or where its symbolic link points
  std::string temporary_;  // empty when the target is written in place
  int fd_ = -1;
};

}  // namespace zavolt::horn
