#include "dialogue/console.hpp"

#include <cerrno>
#include <cstring>

#include "dialogue/failure.hpp"

namespace zavolt {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr char kEndOfInputByte = '\x1a';

}  // namespace

std::string platform_error_text(int error) {
  char text[256];
  // The GNU strerror_r returns its text, which need not be in the buffer.
  return ::strerror_r(error, text, sizeof text);
}

void ConsoleOutput::send(std::string_view bytes) {
  if (closed_ || bytes.empty()) return;
  if (const std::optional<WriteFailure> failure = write_all(calls_, fd_, bytes)) {
    throw IoFailure(kWriteError, kConsoleOutUnit, std::string(kConsoleOutFile), failure->os_error);
  }
}

void ConsoleOutput::show(std::string_view record) {
  buffer_.clear();
  const char control = record.empty() ? ' ' : record.front();
  const std::string_view text = record.empty() ? record : record.substr(1);
  if (control == '+') {
    buffer_ += '\r';
  } else {
    if (line_owed_) buffer_ += '\n';
    if (control == '0') buffer_ += '\n';
    if (control == '1') buffer_ += '\f';
  }
  buffer_ += text;
  line_owed_ = false;
  send(buffer_);
}

void ConsoleOutput::write_record(std::string_view record) {
  show(record);
  line_owed_ = true;
}

void ConsoleOutput::write_open_prompt(std::string_view record) { show(record); }

void ConsoleOutput::write_text(std::string_view text) {
  buffer_.clear();
  if (line_owed_) buffer_ += '\n';
  buffer_ += text;
  line_owed_ = false;
  send(buffer_);
}

void ConsoleOutput::settle() {
  if (!line_owed_) return;
  line_owed_ = false;
  send("\n");
}

void ConsoleOutput::close() {
  settle();
  closed_ = true;
}

void ConsoleOutput::close_quietly() noexcept {
  if (!closed_ && line_owed_) (void)write_all(calls_, fd_, "\n");
  line_owed_ = false;
  closed_ = true;
}

bool ConsoleInput::fill() {
  if (start_ > 0) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  const std::size_t old_size = buffer_.size();
  buffer_.resize(old_size + kReadChunk);
  ssize_t n = 0;
  int error = 0;
  do {
    n = calls_.read(fd_, buffer_.data() + old_size, kReadChunk);
    error = errno;
  } while (n < 0 && error == EINTR);
  buffer_.resize(old_size + static_cast<std::size_t>(n > 0 ? n : 0));
  if (n < 0) throw IoFailure(kReadError, kConsoleInUnit, std::string(kConsoleInFile), error);
  return n > 0;
}

std::optional<std::string_view> ConsoleInput::next_line() {
  output_.settle();
  if (ended_) return std::nullopt;
  std::size_t scanned = start_;
  for (;;) {
    const std::size_t newline = buffer_.find('\n', scanned);
    if (newline != std::string::npos) {
      std::size_t end = newline;
      if (end > start_ && buffer_[end - 1] == '\r') --end;
      line_.assign(buffer_, start_, end - start_);
      start_ = newline + 1;
      break;
    }
    const std::size_t unread = buffer_.size() - start_;
    if (!fill()) {  // the stream has ended: what is left is the last line
      if (unread == 0) {
        ended_ = true;
        return std::nullopt;
      }
      line_.assign(buffer_, start_, unread);
      start_ = buffer_.size();
      break;
    }
    scanned = unread;  // fill() moved the unread part to the front
  }
  if (line_.size() == 1 && line_.front() == kEndOfInputByte) {
    ended_ = true;
    return std::nullopt;
  }
  return std::string_view(line_);
}

}  // namespace zavolt
