#include "dialogue/report_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

#include "dialogue/console.hpp"
#include "dialogue/failure.hpp"

namespace zavolt {

namespace {

constexpr std::size_t kLongestFullPath = 256;
constexpr std::string_view kMissingNameMessage = "File name missing or blank - please enter file name\n";
constexpr std::string_view kNameQuestion = "UNIT 66? ";
constexpr mode_t kCreateMode = 0666;

std::string working_directory() {
  std::vector<char> buffer(4096);
  for (;;) {
    const char* const cwd = ::getcwd(buffer.data(), buffer.size());
    const int error = errno;
    if (cwd != nullptr) return buffer.data();
    if (error != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::string normalise(std::string_view path) {
  std::vector<std::string_view> parts;
  while (!path.empty()) {
    const std::size_t slash = path.find('/');
    const std::string_view part = path.substr(0, slash);
    path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string normal;
  for (const std::string_view part : parts) {
    normal += '/';
    normal += part;
  }
  return normal.empty() ? "/" : normal;
}

int error_number_for_open(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return kAccessNotAllowed;
    case ENOENT:
    case ENOTDIR: return kFileNotFound;
    case EMFILE:
    case ENFILE: return kTooManyOpenFiles;
    case ENAMETOOLONG:
    case EINVAL: return kFileNameError;
    default: return kOpenFailure;
  }
}

[[noreturn]] void fail_open(int error, const std::string& full_path) {
  const int number = error_number_for_open(error);
  // Only the catch-all open failure shows the platform's own text.
  throw IoFailure(number, kReportUnit, full_path, number == kOpenFailure ? error : 0);
}

// Asks "UNIT 66? " until a non-blank line is typed.
std::string ask_for_name(ConsoleOutput& console_out, LineSource& console_in) {
  console_out.write_text(kMissingNameMessage);
  for (;;) {
    console_out.write_text(kNameQuestion);
    const std::optional<std::string_view> line = console_in.next_line();
    if (!line) fail_console_input(kEndOfFile);
    const std::string_view name = trim_blanks(*line);
    if (!name.empty()) return std::string(name);
  }
}

// A descriptor, or -1 and the platform's error code.
struct Opened {
  int fd = -1;
  int error = 0;
};

Opened open_retrying(const char* name, int flags) {
  Opened opened;
  do {
    opened.fd = ::open(name, flags | O_CLOEXEC, kCreateMode);
    opened.error = errno;
  } while (opened.fd < 0 && opened.error == EINTR);
  return opened;
}

}  // namespace

std::string_view trim_blanks(std::string_view name) {
  const std::size_t first = name.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

std::string full_path_for_messages(std::string_view name) {
  std::string absolute;
  if (!name.empty() && name.front() == '/') {
    absolute = name;
  } else {
    const std::string cwd = working_directory();
    if (cwd.empty()) return std::string(name);
    absolute = cwd + "/" + std::string(name);
  }
  std::string normal = normalise(absolute);
  if (normal.size() > kLongestFullPath) return std::string(name);
  return normal;
}

std::unique_ptr<ReportFile> open_report_file(std::string_view name_field, std::optional<std::string_view> argument,
                                             ConsoleOutput& console_out, LineSource& console_in,
                                             SystemCalls& calls) {
  std::string name(trim_blanks(name_field));
  if (name.empty() && argument) name = trim_blanks(*argument);
  if (name.empty()) name = ask_for_name(console_out, console_in);

  const std::size_t nul = name.find('\0');
  if (nul != std::string::npos) {
    throw IoFailure(kFileNameError, kReportUnit, full_path_for_messages(std::string_view(name).substr(0, nul)));
  }
  std::string full_path = full_path_for_messages(name);

  ReportFileMode mode;
  Opened opened = open_retrying(name.c_str(), O_RDWR | O_CREAT);
  if (opened.fd < 0) {
    opened = open_retrying(name.c_str(), O_RDONLY);
    mode.read_only = opened.fd >= 0;
  }
  if (opened.fd < 0) opened = open_retrying(name.c_str(), O_WRONLY | O_CREAT);
  if (opened.fd < 0) fail_open(opened.error, full_path);

  struct stat status {};
  if (::fstat(opened.fd, &status) == 0) {
    if (S_ISDIR(status.st_mode)) {
      ::close(opened.fd);
      fail_open(EISDIR, full_path);
    }
    mode.regular = S_ISREG(status.st_mode);
  }
  (void)::lseek(opened.fd, 0, SEEK_SET);  // a device or pipe has no position to set
  return std::make_unique<ReportFile>(opened.fd, std::move(full_path), mode, calls);
}

void ReportFile::fail_write(int os_error) const { throw IoFailure(kWriteError, kReportUnit, full_path_, os_error); }

void ReportFile::write_record(std::string_view record) {
  if (fd_ < 0) return;
  if (mode_.read_only) throw IoFailure(kWriteToReadOnly, kReportUnit, full_path_);
  buffer_.assign(record);
  buffer_ += "\r\n";
  if (const std::optional<WriteFailure> failure = write_all(calls_, fd_, buffer_)) fail_write(failure->os_error);
  if (truncate_pending_) {
    truncate_pending_ = false;
    cut_behind_first_record();
  }
}

// The old content behind the first record goes; left in place, it would read as part of the report.
void ReportFile::cut_behind_first_record() {
  if (!mode_.regular) return;  // devices such as /dev/null refuse the cut and need none
  const off_t end = ::lseek(fd_, 0, SEEK_CUR);
  int error = errno;
  if (end >= 0) {
    if (calls_.ftruncate(fd_, end) == 0) return;
    error = errno;
  }
  fail_write(error);
}

void ReportFile::close() {
  if (fd_ < 0) return;
  const int result = calls_.close(fd_);
  const int error = errno;
  fd_ = -1;  // closed whatever the result: a retry could close a descriptor opened since
  if (result != 0) fail_write(error);
}

void ReportFile::close_quietly() noexcept {
  if (fd_ < 0) return;
  (void)calls_.close(fd_);
  fd_ = -1;
}

}  // namespace zavolt
