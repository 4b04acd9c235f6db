#include "dialogue/system_calls.hpp"

#include <unistd.h>

#include <cerrno>

namespace zavolt {

ssize_t SystemCalls::read(int fd, void* buffer, std::size_t size) noexcept { return ::read(fd, buffer, size); }

ssize_t SystemCalls::write(int fd, const void* bytes, std::size_t size) noexcept {
  return ::write(fd, bytes, size);
}

int SystemCalls::ftruncate(int fd, off_t length) noexcept { return ::ftruncate(fd, length); }

int SystemCalls::close(int fd) noexcept { return ::close(fd); }

SystemCalls& platform_calls() noexcept {
  static SystemCalls calls;
  return calls;
}

std::optional<WriteFailure> write_all(SystemCalls& calls, int fd, std::string_view bytes) noexcept {
  while (!bytes.empty()) {
    const ssize_t n = calls.write(fd, bytes.data(), bytes.size());
    const int error = errno;
    if (n < 0) {
      if (error == EINTR) continue;
      return WriteFailure{error};
    }
    if (n == 0) return WriteFailure{0};
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return std::nullopt;
}

}  // namespace zavolt
