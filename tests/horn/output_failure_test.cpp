// Files that cannot be opened or written: status 1 with the system's reason. A closed pipe is such
// a failure: the program ignores SIGPIPE.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "horn_run.hpp"
#include "support/scratch.hpp"

namespace zavolt::horn {
namespace {

using testing::run;
using testing::with;
using zavolt::testing::CapturedFd;
using zavolt::testing::ScratchDir;

const std::vector<std::string> kAnalysis = {"analyse", "--model", "classic", "--radius", "74.349", "--slant",
                                            "184.386", "--freq", "10:12:0.5"};

TEST(OutputFailures, AnOutputFileInAMissingFolder) {
  const ScratchDir dir;
  const std::string path = (dir / "missing" / "out.csv").string();
  const testing::HornRun r = run(with(kAnalysis, {"--output", path}));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "zavolt-horn: error: cannot open " + path + ": No such file or directory\n");
  EXPECT_EQ(r.out, "");
}

TEST(OutputFailures, AFullDisk) {
  const testing::HornRun r = run(with(kAnalysis, {"--output", "/dev/full"}));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "zavolt-horn: error: cannot write /dev/full: No space left on device\n");
}

TEST(OutputFailures, AnOutputFileGetsTheRowsAndStandardOutputNothing) {
  const ScratchDir dir;
  const std::string path = (dir / "out.csv").string();
  zavolt::testing::write_file(path, "old content that must go\n");
  const testing::HornRun r = run(with(kAnalysis, {"--output", path, "--format", "csv"}));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  const std::string written = zavolt::testing::read_file(path);
  EXPECT_TRUE(written.starts_with("frequency_ghz,S,gain_dbi,bw3_deg,bw10_deg\n")) << written;
  EXPECT_EQ(testing::lines_of(written).size(), 6u);
}

TEST(OutputFailures, APlotThatCannotBeWritten) {
  const ScratchDir dir;
  const std::string path = (dir / "missing" / "horn.svg").string();
  const testing::HornRun r = run(with(kAnalysis, {"--plot", path}));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "zavolt-horn: error: cannot open " + path + ": No such file or directory\n");
  EXPECT_EQ(r.out, "");  // refused before anything was computed
}

struct ProgramRun {
  std::string err;
  int status = -1;  // -1: killed by a signal
};

// The installed program itself, its standard output a pipe whose reader is gone.
ProgramRun run_into_closed_pipe(const std::vector<std::string>& args) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return {};
  ::close(pipe_fds[0]);
  CapturedFd err;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(pipe_fds[1], 1);
    ::dup2(err.fd(), 2);
    std::vector<char*> argv;
    std::string program = ZAVOLT_HORN_PROGRAM;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  int wait_status = 0;
  ::waitpid(pid, &wait_status, 0);
  return {err.contents(), WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1};
}

// The reader's choice, not a failure: status 141 as the core utilities end, nothing said, whatever
// the output's size (a short one used to exit 0, a long one 1 with a message).
TEST(OutputFailures, AClosedPipeEndsQuietlyWithStatus141) {
  for (const char* freq : {"10:12:0.5", "1:30:0.001"}) {
    const ProgramRun r = run_into_closed_pipe({"analyse", "--model", "classic", "--radius", "74.349", "--slant",
                                               "184.386", "--freq", freq, "--format", "csv"});
    EXPECT_EQ(r.status, 141) << freq;
    EXPECT_EQ(r.err, "") << freq;
  }
}

TEST(OutputFailures, TheProgramReportsUsageErrorsWithStatusTwo) {
  const ProgramRun r = run_into_closed_pipe({"analyse", "--unit", "ft"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "zavolt-horn: error: --unit must be mm, cm, in or m, got ft\n");
}

}  // namespace
}  // namespace zavolt::horn
