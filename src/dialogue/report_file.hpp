// The report file.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "dialogue/layout.hpp"
#include "dialogue/reader.hpp"
#include "dialogue/system_calls.hpp"

namespace zavolt {

class ConsoleOutput;

// How the report file was opened.
struct ReportFileMode {
  bool read_only = false;  // opened only for reading: the first write is error 47
  bool regular = true;     // a regular file, which the first record cuts; a device or pipe is not cut
};

// The report file: records written as they are, each ended "\r\n", each in one write as soon as
// it is complete, so that the file holds every record written so far. The first record cuts a
// regular file directly behind itself; a run that writes no record leaves an existing file
// unchanged. A write, cut or close that the platform refuses is error 38 on unit 66: a close can
// report a write that failed late, as on a network file system.
class ReportFile : public RecordSink {
public:
  ReportFile(int fd, std::string full_path, ReportFileMode mode, SystemCalls& calls) noexcept
      : fd_(fd), full_path_(std::move(full_path)), mode_(mode), calls_(calls) {}
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;
  ~ReportFile() { close_quietly(); }

  void write_record(std::string_view record) override;
  // The report layouts hold no prompt; one would be written as a record.
  void write_open_prompt(std::string_view record) override { write_record(record); }
  void close();
  // After a failure, which this close's own failure cannot add to.
  void close_quietly() noexcept;

  [[nodiscard]] bool read_only() const noexcept { return mode_.read_only; }

private:
  [[noreturn]] void fail_write(int os_error) const;
  void cut_behind_first_record();

  int fd_;
  std::string full_path_;
  ReportFileMode mode_;
  SystemCalls& calls_;
  bool truncate_pending_ = true;
  std::string buffer_;
};

// The name trimmed of leading and trailing blanks (spaces only).
[[nodiscard]] std::string_view trim_blanks(std::string_view name);

// The absolute path of `name` from the working directory, normalised lexically ("." and ".."
// steps, repeated "/"), links not resolved; the name as given when that path would exceed 256
// bytes or the working directory is unknown. For messages only: the file is opened by its name.
[[nodiscard]] std::string full_path_for_messages(std::string_view name);

// Opens the report file under `name_field` trimmed; a blank name takes `argument` trimmed, and if
// that is missing or blank the console asks "UNIT 66? " until a non-blank line is typed. The file
// is opened read-write (created, mode 0666 less the umask), else read-only, else write-only
// (created). Throws IoFailure: 43 for a name holding a NUL byte or rejected as invalid, 600 access
// denied or a directory, 602 a missing directory, 603 too many open files, 30 any other failure,
// 24 end of input at "UNIT 66? ".
[[nodiscard]] std::unique_ptr<ReportFile> open_report_file(std::string_view name_field,
                                                           std::optional<std::string_view> argument,
                                                           ConsoleOutput& console_out, LineSource& console_in,
                                                           SystemCalls& calls = platform_calls());

}  // namespace zavolt
