#include "dialogue/report_file.hpp"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cerrno>
#include <cstdlib>

#include "dialogue/console.hpp"
#include "dialogue/failure.hpp"
#include "support/scratch.hpp"
#include "support/scripted_console.hpp"

namespace zavolt {
namespace {

using testing::CapturedFd;
using testing::read_file;
using testing::ScratchDir;
using testing::write_file;

// Opens the report file from inside `dir`, answering "UNIT 66? " from `lines`.
class ReportFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(::getcwd(previous_, sizeof previous_), nullptr);
    ASSERT_EQ(::chdir(dir_.path().c_str()), 0);
  }
  void TearDown() override { ASSERT_EQ(::chdir(previous_), 0); }

  std::unique_ptr<ReportFile> open(std::string_view field, std::optional<std::string_view> argument = {},
                                   std::initializer_list<std::string> lines = {}) {
    testing::ScriptedConsole answers(lines);
    ConsoleOutput console(console_.fd());
    auto file = open_report_file(field, argument, console, answers);
    console.close();
    return file;
  }

  // The failure that opening under `field` ends with.
  IoFailure open_failure(std::string_view field, std::initializer_list<std::string> lines = {}) {
    try {
      (void)open(field, {}, lines);
    } catch (const IoFailure& failure) {
      return failure;
    }
    ADD_FAILURE() << "no IoFailure for " << field;
    return IoFailure(0, 0, "");
  }

  std::string path(std::string_view name) const { return (dir_.path() / name).string(); }

  ScratchDir dir_;
  CapturedFd console_;
  char previous_[4096] = {};
};

TEST_F(ReportFileTest, TheFirstRecordCutsTheOldContent) {
  write_file(dir_ / "old.txt", "old content, longer than the new report\r\nand more\r\n");
  auto file = open("  old.txt  ");
  file->write_record(" first");
  EXPECT_EQ(read_file(dir_ / "old.txt"), " first\r\n");  // on disk at once
  file->write_record("");
  file->write_record(" third");
  file->close();
  EXPECT_EQ(read_file(dir_ / "old.txt"), " first\r\n\r\n third\r\n");
}

TEST_F(ReportFileTest, NoRecordLeavesAnExistingFileUnchangedAndANewOneEmpty) {
  write_file(dir_ / "kept.txt", "keep me\r\n");
  open("kept.txt")->close();
  EXPECT_EQ(read_file(dir_ / "kept.txt"), "keep me\r\n");
  open("new.txt")->close();
  EXPECT_TRUE(std::filesystem::exists(dir_ / "new.txt"));
  EXPECT_EQ(read_file(dir_ / "new.txt"), "");
}

TEST_F(ReportFileTest, ABlankNameTakesTheArgumentThenAsksOnTheConsole) {
  open(std::string(70, ' '), "  from-argument.txt ")->close();
  EXPECT_TRUE(std::filesystem::exists(dir_ / "from-argument.txt"));

  open(std::string(70, ' '), "   ", {"", "   ", "  asked.txt  "})->close();
  EXPECT_TRUE(std::filesystem::exists(dir_ / "asked.txt"));
  EXPECT_EQ(console_.contents(),
            "File name missing or blank - please enter file name\nUNIT 66? UNIT 66? UNIT 66? ");
}

TEST_F(ReportFileTest, EndOfInputAtTheNameQuestionIsErrorTwentyFour) {
  const IoFailure failure = open_failure("", {" "});
  EXPECT_EQ(failure.number(), 24);
  EXPECT_STREQ(failure.what(), "end-of-file during read, unit 5, file CONIN$");
}

TEST_F(ReportFileTest, NamesFromTheArgumentAreNotCut) {
  const std::string name(80, 'n');
  open("", name)->close();
  EXPECT_TRUE(std::filesystem::exists(dir_ / name));
}

TEST_F(ReportFileTest, FailuresOfTheOpen) {
  const IoFailure missing = open_failure("no/such/dir/r.txt");
  EXPECT_EQ(missing.number(), 602);
  EXPECT_STREQ(missing.what(), "file not found");
  EXPECT_EQ(missing.os_error(), 0);

  std::filesystem::create_directory(dir_ / "folder");
  const IoFailure folder = open_failure("folder");
  EXPECT_EQ(folder.number(), 600);
  EXPECT_STREQ(folder.what(), "access not allowed");

  write_file(dir_ / "plain", "");
  EXPECT_EQ(open_failure("plain/r.txt").number(), 602);  // ENOTDIR

  const IoFailure too_long = open_failure(std::string(300, 'x'));
  EXPECT_EQ(too_long.number(), 43);
  EXPECT_EQ(too_long.file(), std::string(300, 'x'));  // its full path is longer than 256 bytes

  const IoFailure with_nul = open_failure(std::string("ab\0cd", 5));
  EXPECT_EQ(with_nul.number(), 43);
  EXPECT_EQ(with_nul.file(), path("ab"));
  EXPECT_EQ(std::string(with_nul.what()), "file name specification error, unit 66, file " + path("ab"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "ab"));
}

TEST_F(ReportFileTest, ADeviceThatRefusesWritesIsErrorThirtyEight) {
  auto file = open("/dev/full");
  try {
    file->write_record(" row");
    FAIL() << "no IoFailure";
  } catch (const IoFailure& failure) {
    EXPECT_EQ(failure.number(), 38);
    EXPECT_EQ(failure.os_error(), ENOSPC);
    EXPECT_STREQ(failure.what(), "error during write, unit 66, file /dev/full");
  }
}

TEST_F(ReportFileTest, TheNullDeviceTakesRecordsAndIgnoresTheCut) {
  auto file = open("/dev/null");
  file->write_record(" one");
  file->write_record(" two");
}

TEST_F(ReportFileTest, AFileThatOpensOnlyForReadingFailsAtTheFirstWrite) {
  write_file(dir_ / "locked.txt", "locked\r\n");
  const std::string lock = "chattr +i " + path("locked.txt") + " 2>/dev/null";
  if (std::system(lock.c_str()) != 0) GTEST_SKIP() << "chattr +i is not available here";
  std::unique_ptr<ReportFile> file;
  try {
    file = open("locked.txt");
    EXPECT_TRUE(file->read_only());
    file->write_record(" row");
    ADD_FAILURE() << "no IoFailure";
  } catch (const IoFailure& failure) {
    EXPECT_EQ(failure.number(), 47);
    EXPECT_EQ(std::string(failure.what()), "write to READONLY file, unit 66, file " + path("locked.txt"));
  }
  file.reset();
  (void)std::system(("chattr -i " + path("locked.txt")).c_str());
  EXPECT_EQ(read_file(dir_ / "locked.txt"), "locked\r\n");
}

TEST(ReportFilePath, FullPathsAreNormalisedLexically) {
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  const std::string here = std::string(cwd) == "/" ? "" : cwd;
  EXPECT_EQ(full_path_for_messages("r.txt"), here + "/r.txt");
  EXPECT_EQ(full_path_for_messages("a/./b/../c//r.txt"), here + "/a/c/r.txt");
  EXPECT_EQ(full_path_for_messages("/x/../../y"), "/y");
  EXPECT_EQ(full_path_for_messages("//dev///full"), "/dev/full");
  EXPECT_EQ(full_path_for_messages("/"), "/");
  std::string longest(256, 'l');  // "/lll...": 256 bytes, the longest full path shown
  longest.front() = '/';
  EXPECT_EQ(full_path_for_messages(longest), longest);
  const std::string too_long = longest + "l";
  EXPECT_EQ(full_path_for_messages(too_long), too_long);
}

TEST(ReportFilePath, TrimsBlanksOnly) {
  EXPECT_EQ(trim_blanks("  a b  "), "a b");
  EXPECT_EQ(trim_blanks("\ta\t"), "\ta\t");
  EXPECT_EQ(trim_blanks("    "), "");
}

}  // namespace
}  // namespace zavolt
