// The console: records to standard output, lines from standard input.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "dialogue/layout.hpp"
#include "dialogue/reader.hpp"
#include "dialogue/system_calls.hpp"

namespace zavolt {

// The console output. The first character of a record is carriage control and is never shown:
// "0" leaves an empty line first, "1" starts a new page, "+" overwrites the current line, anything
// else starts a new line. The line end of a record is sent late (it is owed), in front of the
// next record or before the next read, so that an open prompt keeps the answer on its line.
// Each record goes out in one write; a refused write ends the run with error 38 on unit 6.
class ConsoleOutput : public RecordSink {
public:
  explicit ConsoleOutput(int fd, SystemCalls& calls = platform_calls()) : fd_(fd), calls_(calls) {}

  void write_record(std::string_view record) override;
  void write_open_prompt(std::string_view record) override;
  // Text without carriage control, after the owed line end; nothing is owed after it.
  void write_text(std::string_view text);
  // Sends the owed line end, if one is owed (before every console read).
  void settle();
  // Sends the owed line end at the end of the run; nothing is written after. A refused write ends
  // the run as any other does.
  void close();
  // The same after a failure, which this last write's own failure cannot add to.
  void close_quietly() noexcept;

private:
  void send(std::string_view bytes);
  void show(std::string_view record);

  int fd_;
  SystemCalls& calls_;
  bool line_owed_ = false;
  bool closed_ = false;
  std::string buffer_;
};

// The console input: lines up to "\n" with one "\r" before it removed, no length limit; a last
// line without a line end is still a line; a line holding only byte 26 ends the input, as does
// the end of the stream. The owed line end of the output goes out before each line is read. A
// read the platform refuses ends the run with error 39 on unit 5: it is no end of input.
class ConsoleInput : public LineSource {
public:
  ConsoleInput(int fd, ConsoleOutput& output, SystemCalls& calls = platform_calls())
      : fd_(fd), output_(output), calls_(calls) {}

  std::optional<std::string_view> next_line() override;

private:
  // Reads more bytes into the buffer; false at the end of the stream.
  bool fill();

  int fd_;
  ConsoleOutput& output_;
  SystemCalls& calls_;
  std::string buffer_;
  std::size_t start_ = 0;  // the unread part of the buffer begins here
  std::string line_;
  bool ended_ = false;
};

// The platform's text for an error code ("No space left on device").
[[nodiscard]] std::string platform_error_text(int error);

}  // namespace zavolt
