#include "horn/atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "horn/failure.hpp"

namespace zavolt::horn {

namespace {

// The mode a new file would get from open(path, O_CREAT, 0666): the umask read and put back.
mode_t default_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

AtomicFile::AtomicFile(const std::string& path) : path_(path) {
  // A device, a pipe or a terminal (/dev/full, /dev/stdout) is written in place: renaming a file
  // over it would replace the device node.
  struct stat target {};
  if (::stat(path.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd_ < 0) {
      const int error = errno;
      throw WriteFailure("cannot open", path, error);
    }
    return;
  }
  // A symbolic link keeps pointing where it did: the file it names is the one replaced.
  std::string real = path;
  std::error_code link_error;
  if (std::filesystem::is_symlink(path, link_error)) {
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, link_error);
    if (!link_error) real = resolved.string();
  }
  target_ = real;
  const std::size_t slash = real.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : real.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? real : real.substr(slash + 1);
  temporary_ = folder + "." + name + ".XXXXXX";
  std::vector<char> pattern(temporary_.begin(), temporary_.end());
  pattern.push_back('\0');
  fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) {
    const int error = errno;
    throw WriteFailure("cannot open", path, error);
  }
  temporary_.assign(pattern.data());
}

AtomicFile::~AtomicFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void AtomicFile::commit() {
  if (temporary_.empty()) {  // written in place
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
      const int error = errno;
      throw WriteFailure("cannot write", path_, error);
    }
    return;
  }
  struct stat existing {};
  const mode_t mode = ::stat(target_.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : default_mode();
  if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0) {
    const int error = errno;
    throw WriteFailure("cannot write", path_, error);
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    const int error = errno;
    throw WriteFailure("cannot write", path_, error);
  }
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    const int error = errno;
    throw WriteFailure("cannot write", path_, error);
  }
  temporary_.clear();
}

}  // namespace zavolt::horn
