// How a run ends when something fails: the message on stderr, the exit status, and a report file
// that holds every record written before the failure. Each run is a child process.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <string>

#include "dialogue/driver.hpp"
#include "support/child.hpp"
#include "support/faulty_calls.hpp"

namespace zavolt {
namespace {

using testing::ChildOptions;
using testing::ChildRun;
using testing::FaultyCalls;
using testing::message_lines;
using testing::read_file;
using testing::ScratchDir;

std::string severe(int number, const std::string& text) {
  return "vokrel: severe (" + std::to_string(number) + "): " + text + "\r\n";
}
std::string console_input_error(int number, const std::string& text) {
  return severe(number, text + ", unit 5, file CONIN$");
}

const std::string kHeader = "\r\n     ZAVOLT  \r\n     Code: K. O. Tessalin\r\n";
const std::string kDesignHeader =
    "\r\n\r\n    Conical Corrugated Horn Design\r\n\r\n"
    "        20.00 dB Gain at Frequency (GHz) =     10.000\r\n\r\n"
    "         S      Aperture Radius   Slant Length\r\n\r\n";
const std::string kHalfRow = "       0.5000         2.927            7.259\r\n";

TEST(EndOfInput, AtEachQuestionIsErrorTwentyFour) {
  const std::string eof = console_input_error(24, "end-of-file during read");
  struct Case {
    std::string input;
    std::string report;  // what the report file holds at the end
  };
  for (const Case& c : {
           Case{"r.txt\n", ""},
           Case{"r.txt\n2\n", ""},
           Case{"r.txt\n2\n10\n", ""},
           Case{"r.txt\n2\n10 20\n", kHeader},
           Case{"r.txt\n2\n10 20\n0.5 0.5 1\n", kHeader + kDesignHeader + kHalfRow},
           Case{"r.txt\n2\n10 20\n0.5 0.5 1\n3 15\n10\n\n\n", kHeader + kDesignHeader + kHalfRow},
       }) {
    ScratchDir dir;
    const ChildRun run = testing::run_in_child(dir, c.input);
    EXPECT_EQ(run.status, 24) << c.input;
    EXPECT_EQ(message_lines(run.err), eof) << c.input;
    EXPECT_EQ(read_file(dir / "r.txt"), c.report) << c.input;
  }
}

TEST(EndOfInput, BeforeTheFileNameOpensNoFile) {
  ScratchDir dir;
  const ChildRun run = testing::run_in_child(dir, "");
  EXPECT_EQ(run.status, 24);
  EXPECT_EQ(message_lines(run.err), console_input_error(24, "end-of-file during read"));
  EXPECT_EQ(run.out, "\nConical Corrugated Horn Design\n\nEnter output file ");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(EndOfInput, AtTheNameQuestionIsErrorTwentyFour) {
  ScratchDir dir;
  const ChildRun run = testing::run_in_child(dir, "   \n  \n\x1a\nlate.txt\n");
  EXPECT_EQ(run.status, 24);
  EXPECT_EQ(message_lines(run.err), console_input_error(24, "end-of-file during read"));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(MalformedAnswers, EndTheRunWithTheirErrorNumber) {
  struct Case {
    std::string input;
    int number;
  };
  for (const Case& c : {Case{"r.txt\nabc\n", 59}, Case{"r.txt\n--1\n", 59}, Case{"r.txt\n2\n1e2e3 5\n", 59},
                        Case{"r.txt\n2\n10 1+\n", 59}, Case{"r.txt\n99999999999\n", 64},
                        Case{"r.txt\n2+1\n", 64}, Case{"r.txt\n2\n1-2-3 4\n", 64}}) {
    ScratchDir dir;
    const ChildRun run = testing::run_in_child(dir, c.input);
    EXPECT_EQ(run.status, c.number) << c.input;
    EXPECT_EQ(message_lines(run.err),
              console_input_error(c.number, c.number == 59 ? "list-directed I/O syntax error" : "input conversion error"))
        << c.input;
  }
}

// The report file's failures. The status is the error number's low eight bits.
TEST(ReportFileFailures, OpenFailuresAndTheirStatus) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "folder");
  std::filesystem::create_symlink("loop", dir / "loop");
  struct Case {
    std::string name;  // typed, or from the argument when longer than the 70-character field
    int status;
    std::string err;
  };
  const std::string here = dir.path().string();
  for (const Case& c : {
           Case{"folder", 88, severe(600, "access not allowed")},
           Case{"missing/r.txt", 90, severe(602, "file not found")},
           Case{std::string(300, 'n'), 43,  // its full path is too long to show: the name as given
                severe(43, "file name specification error, unit 66, file " + std::string(300, 'n'))},
           Case{"loop", 30,
                "vokrel: Too many levels of symbolic links\r\n" +
                    severe(30, "open failure, unit 66, file " + here + "/loop")},
           Case{std::string("ab\0cd", 5), 43, severe(43, "file name specification error, unit 66, file " + here + "/ab")},
       }) {
    ChildOptions options;
    if (c.name.size() > 70) options.argument = c.name;
    const ChildRun run = testing::run_in_child(dir, (options.argument ? "" : c.name) + "\n2\n0 0\n", options);
    EXPECT_EQ(run.status, c.status) << c.name;
    EXPECT_EQ(message_lines(run.err), c.err) << c.name;
    EXPECT_EQ(run.out, "\nConical Corrugated Horn Design\n\nEnter output file ") << c.name;
  }
}

TEST(ReportFileFailures, TooManyOpenFilesIsError603) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizers' runtime needs descriptors of its own (it probes memory through a pipe) and
  // reports spurious errors without them.
  GTEST_SKIP() << "no descriptor limit under the sanitizers";
#endif
  ScratchDir dir;
  ChildOptions options;
  options.before_run = [] {
    // Allow no descriptor beyond those open now.
    const int next = ::dup(0);
    ::close(next);
    const rlimit limit{static_cast<rlim_t>(next), static_cast<rlim_t>(next)};
    ::setrlimit(RLIMIT_NOFILE, &limit);
  };
  const ChildRun run = testing::run_in_child(dir, "r.txt\n2\n0 0\n", options);
  EXPECT_EQ(run.status, 91);
  EXPECT_EQ(message_lines(run.err), severe(603, "too many open files"));
}

TEST(ReportFileFailures, AFullDeviceIsErrorThirtyEightAtTheFirstRecord) {
  ScratchDir dir;
  const ChildRun run = testing::run_in_child(dir, "/dev/full\n2\n10 20\n0 0 0\n0 0\n");
  EXPECT_EQ(run.status, 38);
  EXPECT_EQ(message_lines(run.err),
            "vokrel: No space left on device\r\n" + severe(38, "error during write, unit 66, file /dev/full"));
}

TEST(ReportFileFailures, AReadOnlyFileIsErrorFortySevenAtTheFirstWrite) {
  ScratchDir dir;
  testing::write_file(dir / "locked.txt", "old\r\n");
  const std::string path = (dir / "locked.txt").string();
  if (std::system(("chattr +i " + path + " 2>/dev/null").c_str()) != 0) GTEST_SKIP() << "chattr +i is not available";
  const ChildRun unit_zero = testing::run_in_child(dir, "locked.txt\n0\n");
  const ChildRun run = testing::run_in_child(dir, "locked.txt\n2\n10 20\n0 0 0\n0 0\n");
  (void)std::system(("chattr -i " + path).c_str());
  EXPECT_EQ(unit_zero.status, 0);  // opened read-only, never written: no failure
  EXPECT_EQ(run.status, 47);
  EXPECT_EQ(message_lines(run.err), severe(47, "write to READONLY file, unit 66, file " + path));
  EXPECT_EQ(read_file(dir / "locked.txt"), "old\r\n");
}

// A file that may be written but not read is opened by the last fallback, write-only, and written.
// Root opens anything: the child then runs as nobody.
TEST(ReportFileFailures, AWriteOnlyFileIsOpenedByTheLastFallback) {
  ScratchDir dir;
  testing::write_file(dir / "drop.txt", "old content, longer than the report\r\n");
  std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
  std::filesystem::permissions(dir / "drop.txt", std::filesystem::perms::owner_write |
                                                     std::filesystem::perms::group_write |
                                                     std::filesystem::perms::others_write);
  ChildOptions options;
  options.before_run = [] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(126);
  };
  const ChildRun run = testing::run_in_child(dir, "drop.txt\n2\n10 20\n0 0 0\n0 0\n", options);
  if (run.status == 126) GTEST_SKIP() << "cannot drop privileges here";
  EXPECT_EQ(run.status, 0);
  std::filesystem::permissions(dir / "drop.txt", std::filesystem::perms::owner_read, std::filesystem::perm_options::add);
  EXPECT_EQ(read_file(dir / "drop.txt"), kHeader);
}

TEST(ConsoleFailures, AClosedConsoleIsErrorThirtyEightOnUnitSix) {
  ScratchDir dir;
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ::close(ends[0]);
  ChildOptions options;
  options.output_fd = ends[1];
  const ChildRun run = testing::run_in_child(dir, "r.txt\n2\n0 0\n", options);
  ::close(ends[1]);
  EXPECT_EQ(run.status, 38);
  EXPECT_EQ(message_lines(run.err),
            "vokrel: Broken pipe\r\n" + severe(38, "error during write, unit 6, file CONOUT$"));
}

// The console goes away in the middle of a run: the next console write ends it, and the report
// file keeps the records written before.
TEST(ConsoleFailures, AConsoleClosedInTheMiddleKeepsTheReport) {
  ScratchDir dir;
  int answers[2];
  int shown[2];
  ASSERT_EQ(::pipe(answers), 0);
  ASSERT_EQ(::pipe(shown), 0);
  testing::CapturedFd err;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(answers[1]);
    ::close(shown[0]);
    if (::chdir(dir.path().c_str()) != 0) ::_exit(127);
    ProgramStreams streams;
    streams.input = answers[0];
    streams.output = shown[1];
    streams.error = err.fd();
    ::_exit(run_program(streams));
  }
  ::close(answers[0]);
  ::close(shown[1]);
  const std::string first = "r.txt\n2\n10 20\n0.5 0.5 1\n";
  ASSERT_EQ(::write(answers[1], first.data(), first.size()), static_cast<ssize_t>(first.size()));
  std::string seen;
  char chunk[256];
  while (seen.find("Slant Radius (0 terminates) ") == std::string::npos) {  // now it waits for the horn
    const ssize_t n = ::read(shown[0], chunk, sizeof chunk);
    ASSERT_GT(n, 0);
    seen.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(shown[0]);
  const std::string rest = "3 15\n10 10 1\n0 0 0\n0 0\n0 0 0\n0 0\n";
  ASSERT_EQ(::write(answers[1], rest.data(), rest.size()), static_cast<ssize_t>(rest.size()));
  ::close(answers[1]);
  int wait_status = 0;
  ::waitpid(pid, &wait_status, 0);
  ASSERT_TRUE(WIFEXITED(wait_status));
  EXPECT_EQ(WEXITSTATUS(wait_status), 38);
  EXPECT_EQ(message_lines(err.contents()),
            "vokrel: Broken pipe\r\n" + severe(38, "error during write, unit 6, file CONOUT$"));
  EXPECT_EQ(read_file(dir / "r.txt"), kHeader + kDesignHeader + kHalfRow);
}

TEST(ConsoleFailures, AFullConsoleIsErrorThirtyEightOnUnitSix) {
  ScratchDir dir;
  ChildOptions options;
  const int full = ::open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  options.output_fd = full;
  const ChildRun run = testing::run_in_child(dir, "r.txt\n2\n0 0\n", options);
  ::close(full);
  EXPECT_EQ(run.status, 38);
  EXPECT_EQ(message_lines(run.err),
            "vokrel: No space left on device\r\n" + severe(38, "error during write, unit 6, file CONOUT$"));
}

// The file size limit: the write that passes it is refused (no signal ends the run), on whichever
// channel reaches the limit first.
TEST(WriteFailures, TheFileSizeLimitIsErrorThirtyEight) {
  constexpr rlim_t kLimit = 400;
  const auto limit_file_size = [] {
    const rlimit limit{kLimit, kLimit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  };
  const std::string answers = "r.txt\n2\n10 20\n0.1 1 0.01\n0 0\n0 0 0\n0 0\n";
  {
    ScratchDir dir;
    int shown[2];
    ASSERT_EQ(::pipe(shown), 0);  // the console's few records fit in the pipe
    ChildOptions options;
    options.output_fd = shown[1];
    options.before_run = limit_file_size;
    const ChildRun run = testing::run_in_child(dir, answers, options);
    ::close(shown[0]);
    ::close(shown[1]);
    EXPECT_EQ(run.status, 38);
    EXPECT_EQ(message_lines(run.err), "vokrel: File too large\r\n" +
                                          severe(38, "error during write, unit 66, file " + (dir / "r.txt").string()));
    EXPECT_EQ(std::filesystem::file_size(dir / "r.txt"), kLimit);
  }
  {
    ScratchDir dir;
    const int console = ::open((dir / "console.txt").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(console, 0);
    ChildOptions options;
    options.output_fd = console;
    options.before_run = limit_file_size;
    const ChildRun run = testing::run_in_child(dir, answers, options);
    ::close(console);
    EXPECT_EQ(run.status, 38);
    EXPECT_EQ(message_lines(run.err),
              "vokrel: File too large\r\n" + severe(38, "error during write, unit 6, file CONOUT$"));
    EXPECT_EQ(std::filesystem::file_size(dir / "console.txt"), kLimit);
  }
}

TEST(WriteFailures, AWriteThatTakesNoByteIsErrorThirtyEightWithoutAPlatformLine) {
  ScratchDir dir;
  const std::string answers = "r.txt\n2\n10 20\n0.5 0.5 1\n0 0\n0 0 0\n0 0\n";
  FaultyCalls report_stalls("/r.txt");
  report_stalls.write_nothing = true;
  ChildOptions options;
  options.calls = &report_stalls;
  const ChildRun report_run = testing::run_in_child(dir, answers, options);
  EXPECT_EQ(report_run.status, 38);
  EXPECT_EQ(message_lines(report_run.err),
            severe(38, "error during write, unit 66, file " + (dir / "r.txt").string()));

  const int console = ::open((dir / "console.txt").c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(console, 0);
  FaultyCalls console_stalls("/console.txt");
  console_stalls.write_nothing = true;
  options.calls = &console_stalls;
  options.output_fd = console;
  const ChildRun console_run = testing::run_in_child(dir, answers, options);
  ::close(console);
  EXPECT_EQ(console_run.status, 38);
  EXPECT_EQ(message_lines(console_run.err), severe(38, "error during write, unit 6, file CONOUT$"));
}

// A report file whose old tail cannot be cut would read as a longer report than the run wrote.
TEST(WriteFailures, ARefusedCutIsErrorThirtyEightAtTheFirstRecord) {
  ScratchDir dir;
  testing::write_file(dir / "r.txt", std::string(2000, 'x'));
  FaultyCalls calls("/r.txt");
  calls.ftruncate_error = EIO;
  ChildOptions options;
  options.calls = &calls;
  const ChildRun run = testing::run_in_child(dir, "r.txt\n2\n10 20\n0 0 0\n0 0\n", options);
  EXPECT_EQ(run.status, 38);
  EXPECT_EQ(message_lines(run.err), "vokrel: Input/output error\r\n" +
                                        severe(38, "error during write, unit 66, file " + (dir / "r.txt").string()));
}

// A close can report a write that failed late (a network file system): the run has shown its end,
// and must not end with status 0 all the same.
TEST(WriteFailures, ARefusedCloseOfTheReportIsErrorThirtyEightAfterTheStop) {
  ScratchDir dir;
  FaultyCalls calls("/r.txt");
  calls.close_error = EIO;
  ChildOptions options;
  options.calls = &calls;
  const ChildRun run = testing::run_in_child(dir, "r.txt\n2\n10 20\n0.5 0.5 1\n0 0\n0 0 0\n0 0\n", options);
  EXPECT_EQ(run.status, 38);
  EXPECT_TRUE(run.out.ends_with("Stop - Program terminated.\n"));
  EXPECT_EQ(message_lines(run.err), "vokrel: Input/output error\r\n" +
                                        severe(38, "error during write, unit 66, file " + (dir / "r.txt").string()));
  EXPECT_EQ(read_file(dir / "r.txt"), kHeader + kDesignHeader + kHalfRow);
}

// A read the platform refuses is error 39 after the platform's line, not an end of input.
TEST(ReadFailures, ARefusedReadIsErrorThirtyNine) {
  ScratchDir dir;
  const int directory = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(directory, 0);
  ChildOptions options;
  options.input_fd = directory;
  const ChildRun run = testing::run_in_child(dir, "", options);
  ::close(directory);
  EXPECT_EQ(run.status, 39);
  EXPECT_EQ(message_lines(run.err),
            "vokrel: Is a directory\r\n" + severe(39, "error during read, unit 5, file CONIN$"));

  FaultyCalls calls("");
  calls.read_error = EIO;
  ChildOptions faulty;
  faulty.calls = &calls;
  const ChildRun eio = testing::run_in_child(dir, "r.txt\n", faulty);
  EXPECT_EQ(eio.status, 39);
  EXPECT_EQ(message_lines(eio.err),
            "vokrel: Input/output error\r\n" + severe(39, "error during read, unit 5, file CONIN$"));
}

// The program's start-up fills closed standard descriptors with /dev/null, read-only.
TEST(ClosedStandardDescriptors, TheReportNeverTakesTheNumberOfStandardError) {
  ScratchDir dir;
  ChildOptions options;
  options.before_run = [] {
    ::close(2);
    occupy_closed_standard_descriptors();
  };
  options.error_fd = 2;  // the failure's message goes there
  const ChildRun run = testing::run_in_child(dir, "r.txt\n2\n10 20\nabc\n", options);
  EXPECT_EQ(run.status, 59);
  EXPECT_EQ(read_file(dir / "r.txt"), kHeader);
}

TEST(ClosedStandardDescriptors, AClosedInputStillEndsAndAClosedOutputStillRefuses) {
  ScratchDir dir;
  ChildOptions closed_output;
  closed_output.before_run = [] {
    ::close(1);
    occupy_closed_standard_descriptors();
  };
  closed_output.output_fd = 1;
  const ChildRun no_output = testing::run_in_child(dir, "r.txt\n0\n", closed_output);
  EXPECT_EQ(no_output.status, 38);  // the title is the first thing the run does
  EXPECT_EQ(message_lines(no_output.err),
            "vokrel: Bad file descriptor\r\n" + severe(38, "error during write, unit 6, file CONOUT$"));

  ChildOptions closed_input;
  closed_input.before_run = [] {
    ::close(0);
    occupy_closed_standard_descriptors();
  };
  closed_input.input_fd = 0;
  const ChildRun no_input = testing::run_in_child(dir, "", closed_input);
  EXPECT_EQ(no_input.status, 24);
  EXPECT_EQ(message_lines(no_input.err), console_input_error(24, "end-of-file during read"));
}

// A math error in the middle of a table: the rows before it are in the report file and on the
// console, the failing row is in neither.
TEST(MathErrors, InTheMiddleOfATableKeepTheRowsBefore) {
  ScratchDir dir;
  const std::string rows = "r.txt\n2\n10 20\n1 0 1\n3 15\n10 -10 -10\n";
  const ChildRun run = testing::run_in_child(dir, rows);
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(message_lines(run.err), "\r\nrun-time error M6202: MATH\r\n- log: SING error\r\n");
  const std::string row = "         10.000     21.89           15.3              27.0";
  EXPECT_NE(read_file(dir / "r.txt").find(row + "\r\n"), std::string::npos);
  EXPECT_TRUE(run.out.ends_with(row.substr(1) + "\n"));

  const ChildRun sqrt_run = testing::run_in_child(dir, "r.txt\n2\n10 20\n1 0 1\n0.5 15\n20 10 -5\n");
  EXPECT_EQ(sqrt_run.status, 3);
  EXPECT_EQ(message_lines(sqrt_run.err), "\r\nrun-time error M6201: MATH\r\n- sqrt: DOMAIN error\r\n");
  const std::string report = read_file(dir / "r.txt");
  EXPECT_NE(report.find("         20.000"), std::string::npos);
  EXPECT_NE(report.find("         15.000"), std::string::npos);
  EXPECT_EQ(report.find("         10.000"), std::string::npos);
}

// A table's loop keeps one frame in the trace and names it after the step that runs: a failure
// lists the step it happened in, below the function that failed.
TEST(MathErrors, ListTheStepOfTheTableTheyHappenIn) {
  ScratchDir dir;
  const std::string tail = "  analysis table\r\n  zavolt dialogue\r\n";
  const ChildRun log_run = testing::run_in_child(dir, "r.txt\n2\n10 20\n1 0 1\n3 15\n10 -10 -10\n");
  EXPECT_TRUE(log_run.err.ends_with("Active routines, innermost first:\r\n  log\r\n  dB conversion\r\n" + tail))
      << log_run.err;
  const ChildRun sqrt_run = testing::run_in_child(dir, "r.txt\n2\n10 20\n1 0 1\n0.5 15\n20 10 -5\n");
  EXPECT_TRUE(sqrt_run.err.ends_with("Active routines, innermost first:\r\n  sqrt\r\n  HCNBW\r\n" + tail))
      << sqrt_run.err;
}

TEST(NormalEnd, ATypedNameIsCutToSeventyCharacters) {
  ScratchDir dir;
  const std::string name(80, 'a');
  const ChildRun run = testing::run_in_child(dir, name + "\n0\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(std::filesystem::exists(dir / name.substr(0, 70)));
  EXPECT_FALSE(std::filesystem::exists(dir / name));
}

TEST(NormalEnd, StopsWithStatusZeroAndTheLastLineEnded) {
  ScratchDir dir;
  const ChildRun run = testing::run_in_child(dir, "r.txt\n0\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(run.out.ends_with("Enter units: 1 cm, 2 inches Stop - Program terminated.\n"));
}

}  // namespace
}  // namespace zavolt
