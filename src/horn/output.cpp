#include "horn/output.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "horn/failure.hpp"

namespace zavolt::horn {

namespace {

// Large enough that a table of thousands of rows costs a handful of system calls.
constexpr std::size_t kBufferSize = 64 * 1024;

}  // namespace

void write_all(int fd, std::string_view text, const std::string& name) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0) {
      const int error = errno;
      if (error == EINTR) continue;
      throw WriteFailure("cannot write", name, error);
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

void Output::write(std::string_view text) {
  buffer_.append(text);
  if (buffer_.size() >= kBufferSize) flush();
}

void Output::flush() {
  const std::string pending = std::move(buffer_);
  buffer_.clear();
  write_all(fd_, pending, name_);
}

OutputFile::OutputFile(const std::string& path) : path_(path), fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)) {
  if (fd_ < 0) {
    const int error = errno;
    throw WriteFailure("cannot open", path, error);
  }
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
}

void OutputFile::close() {
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    const int error = errno;
    throw WriteFailure("cannot write", path_, error);
  }
}

}  // namespace zavolt::horn
