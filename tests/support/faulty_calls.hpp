// System calls that fail on demand, for the failures the platform gives only by chance.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <string>

#include "dialogue/system_calls.hpp"

namespace zavolt::testing {

// The platform's calls, except that the chosen ones fail on descriptors whose path ends in
// `target` ("/r.txt" for the report file; "" matches every descriptor).
class FaultyCalls : public SystemCalls {
public:
  explicit FaultyCalls(std::string target) : target_(std::move(target)) {}

  int read_error = 0;       // read() fails with this code
  int write_error = 0;      // write() fails with this code
  bool write_nothing = false;  // write() returns 0
  int ftruncate_error = 0;  // ftruncate() fails with this code
  int close_error = 0;      // close() closes, then reports this code

  ssize_t read(int fd, void* buffer, std::size_t size) noexcept override {
    if (read_error != 0 && targeted(fd)) return fail(read_error);
    return SystemCalls::read(fd, buffer, size);
  }
  ssize_t write(int fd, const void* bytes, std::size_t size) noexcept override {
    if (write_nothing && targeted(fd)) return 0;
    if (write_error != 0 && targeted(fd)) return fail(write_error);
    return SystemCalls::write(fd, bytes, size);
  }
  int ftruncate(int fd, off_t length) noexcept override {
    if (ftruncate_error != 0 && targeted(fd)) return static_cast<int>(fail(ftruncate_error));
    return SystemCalls::ftruncate(fd, length);
  }
  int close(int fd) noexcept override {
    const bool failing = close_error != 0 && targeted(fd);
    const int result = SystemCalls::close(fd);
    return failing ? static_cast<int>(fail(close_error)) : result;
  }

private:
  [[nodiscard]] bool targeted(int fd) const {
    char path[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = ::readlink(link.c_str(), path, sizeof path);
    return n >= 0 && std::string(path, static_cast<std::size_t>(n)).ends_with(target_);
  }
  static ssize_t fail(int error) {
    errno = error;
    return -1;
  }

  std::string target_;
};

}  // namespace zavolt::testing
