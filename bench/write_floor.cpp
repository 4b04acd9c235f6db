// The floor for the program's table output: the same records as an analysis sweep of N points,
// one write() each and nothing else. Per point, a report row ended CRLF goes to the report file
// and the same row as the console shows it (line end first, no carriage-control column) to the
// console file.
// Usage: zavolt_write_floor N REPORT_FILE CONSOLE_FILE
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

// An analysis row of the worked example, as each device receives it.
constexpr std::string_view kReportRow = "         10.000     23.26           12.1              22.5\r\n";
constexpr std::string_view kConsoleRow = "\n        10.000     23.26           12.1              22.5";

bool write_record(int fd, std::string_view record) {
  return ::write(fd, record.data(), record.size()) == static_cast<ssize_t>(record.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: zavolt_write_floor N REPORT_FILE CONSOLE_FILE\n", stderr);
    return 2;
  }
  const long long points = std::atoll(argv[1]);
  const int report = ::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  const int console = ::open(argv[3], O_WRONLY | O_CLOEXEC);
  if (report < 0 || console < 0) {
    std::perror("zavolt_write_floor: open");
    return 1;
  }
  for (long long i = 0; i < points; ++i) {
    if (!write_record(report, kReportRow) || !write_record(console, kConsoleRow)) {
      std::perror("zavolt_write_floor: write");
      return 1;
    }
  }
  return ::close(report) == 0 ? 0 : 1;
}
