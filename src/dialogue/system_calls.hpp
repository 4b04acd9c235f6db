// The system calls through which the dialogue's channels move their bytes.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string_view>

namespace zavolt {

// The program uses the platform's own calls. A test hands in stand-ins to produce the failures that
// the platform gives only by chance: an input/output error, a write that takes no byte, a refused
// ftruncate or close. Each call returns as the system call does and leaves its code in errno.
class SystemCalls {
public:
  virtual ~SystemCalls() = default;
  virtual ssize_t read(int fd, void* buffer, std::size_t size) noexcept;
  virtual ssize_t write(int fd, const void* bytes, std::size_t size) noexcept;
  virtual int ftruncate(int fd, off_t length) noexcept;
  virtual int close(int fd) noexcept;
};

// The platform's calls (a stateless object shared by every run).
[[nodiscard]] SystemCalls& platform_calls() noexcept;

// Why a write failed: the platform's error code, or 0 when a write took no byte of a non-empty
// buffer (it would take none on a retry either, and the platform gave no reason).
struct WriteFailure {
  int os_error;
};

// Writes all of `bytes` to `fd`, retrying after interruptions and partial writes.
[[nodiscard]] std::optional<WriteFailure> write_all(SystemCalls& calls, int fd, std::string_view bytes) noexcept;

}  // namespace zavolt
