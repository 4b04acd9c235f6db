// Scratch folders and captured descriptors.
#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace zavolt::testing {

// A fresh folder under the temporary directory, removed with everything in it.
class ScratchDir {
public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zavolt-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string{};
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  [[nodiscard]] const std::filesystem::path& path() const { return path_; }
  [[nodiscard]] std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
  std::filesystem::path path_;
};

inline std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void write_file(const std::filesystem::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// An anonymous in-memory file: what is written to fd() is read back by contents().
class CapturedFd {
public:
  CapturedFd() : fd_(::memfd_create("zavolt-capture", 0)) {}
  explicit CapturedFd(std::string_view initial) : CapturedFd() {
    if (!initial.empty()) (void)!::write(fd_, initial.data(), initial.size());
    ::lseek(fd_, 0, SEEK_SET);
  }
  CapturedFd(const CapturedFd&) = delete;
  CapturedFd& operator=(const CapturedFd&) = delete;
  ~CapturedFd() { ::close(fd_); }
  [[nodiscard]] int fd() const { return fd_; }
  [[nodiscard]] std::string contents() const {
    std::string text;
    char chunk[4096];
    for (off_t at = 0;;) {
      const ssize_t n = ::pread(fd_, chunk, sizeof chunk, at);
      if (n <= 0) break;
      text.append(chunk, static_cast<std::size_t>(n));
      at += n;
    }
    return text;
  }

private:
  int fd_;
};

}  // namespace zavolt::testing
