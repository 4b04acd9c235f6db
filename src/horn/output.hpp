// Output through file descriptors, so that a refused write is reported with the system's reason.
#pragma once

#include <string>
#include <string_view>

namespace zavolt::horn {

// A buffered writer on a descriptor it does not own. A refused write throws WriteFailure naming
// the channel ("standard output", or the file's name) and the errno of the failing call.
class Output {
public:
  Output(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  ~Output() = default;  // unflushed text is dropped: a failed run says so on its own

  void write(std::string_view text);
  void flush();
  [[nodiscard]] const std::string& name() const noexcept { return name_; }

private:
  int fd_;
  std::string name_;
  std::string buffer_;
};

// A file created (or cut) for writing, closed on destruction. close() reports a deferred write
// error (NFS, a full disk) that only closing shows.
class OutputFile {
public:
  explicit OutputFile(const std::string& path);  // throws WriteFailure
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  [[nodiscard]] int fd() const noexcept { return fd_; }
  [[nodiscard]] const std::string& path() const noexcept { return path_; }
  void close();

private:
  std::string path_;
  int fd_;
};

// Writes all of `text` to `fd`, retrying short writes and interruptions; throws WriteFailure.
void write_all(int fd, std::string_view text, const std::string& name);

}  // namespace zavolt::horn
