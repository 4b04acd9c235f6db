#include "dialogue/layout.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include <stdexcept>
#include <string>
#include <vector>

#include "dialogue/console.hpp"
#include "dialogue/failure.hpp"
#include "dialogue/layouts.hpp"
#include "support/scratch.hpp"

namespace zavolt {
namespace {

// Records as the layout engine hands them over; an open prompt is marked with a trailing "|".
class RecordList : public RecordSink {
public:
  void write_record(std::string_view record) override { records.emplace_back(record); }
  void write_open_prompt(std::string_view record) override { records.push_back(std::string(record) + "|"); }
  std::vector<std::string> records;
};

std::vector<std::string> records_of(Layout layout, std::initializer_list<FieldValue> values = {}) {
  RecordList list;
  write_layout(list, layout, std::span<const FieldValue>(values.begin(), values.size()));
  return list.records;
}

using Records = std::vector<std::string>;

TEST(LayoutEngine, RecordsEndAtTheirLastLiteralOrField) {
  constexpr std::array<Element, 5> layout = {blanks(3), literal(" a"), blanks(4), record_break(), blanks(9)};
  EXPECT_EQ(records_of(layout), (Records{"    a", ""}));
}

TEST(LayoutEngine, FieldsTakeTheValuesInOrder) {
  constexpr std::array<Element, 4> layout = {blanks(1), fixed(6, 2), text_field(4), fixed(5, 1)};
  EXPECT_EQ(records_of(layout, {1.5f, std::string_view(" cm "), -2.0f}), (Records{"   1.50 cm  -2.0"}));
  // A text shorter than its field is padded, a longer one cut.
  EXPECT_EQ(records_of(layout, {1.5f, std::string_view("ab"), 0.0f}), (Records{"   1.50ab    0.0"}));
}

TEST(LayoutEngine, TheDesignReportHeader) {
  EXPECT_EQ(records_of(DESIGN_REPORT_HEADER_LAYOUT, {20.0f, 10.0f}),
            (Records{"", "", "    Conical Corrugated Horn Design", "",
                     "        20.00 dB Gain at Frequency (GHz) =     10.000", "",
                     "         S      Aperture Radius   Slant Length", ""}));
  EXPECT_EQ(records_of(DESIGN_CONSOLE_HEADER_LAYOUT),
            (Records{"", "         S      Aperture Radius   Slant Length", ""}));
}

TEST(LayoutEngine, TheAnalysisHeaderAndRow) {
  EXPECT_EQ(records_of(ANALYSIS_HEADER_LAYOUT, {10.0f, std::string_view(" cm "), 40.0f}),
            (Records{"", "", "      Conical Corrugated Horn", "",
                     "      Aperture Radius =   10.000 cm       Slant Radius =   40.000", "",
                     "      Frequency   Gain(dB)   3 dB Beamwidth   10 dB Beamwidth", ""}));
  const Records row = records_of(ANALYSIS_ROW_LAYOUT, {8.0f, 21.89f, 14.8f, 26.6f});
  ASSERT_EQ(row.size(), 1u);
  EXPECT_EQ(row[0], "          8.000     21.89           14.8              26.6");
  EXPECT_EQ(row[0].size(), 58u);
}

TEST(LayoutEngine, TheDesignRowAndThePrompts) {
  const Records row = records_of(DESIGN_ROW_LAYOUT, {0.1f, 5.796f, 56.027f});
  EXPECT_EQ(row, (Records{"       0.1000         5.796           56.027"}));
  EXPECT_EQ(row[0].size(), 44u);
  EXPECT_EQ(records_of(PHASE_PROMPT_LAYOUT),
            (Records{"", " Enter Max Aperture Phase Deviation (0 TO 1)", "      Start,Stop,Step (0 terminates) |"}));
  EXPECT_EQ(records_of(HORN_PROMPT_LAYOUT),
            (Records{"", "", " Gain of a Conical Corrugated Horn", "",
                     " Enter Aperture Radius, Slant Radius (0 terminates) |"}));
  EXPECT_EQ(records_of(NAME_LINE_LAYOUT), (Records{"", "     ZAVOLT  "}));
}

TEST(LayoutEngine, RecordsFitTheirBufferOrThrow) {
  EXPECT_EQ(longest_record(ANALYSIS_ROW_LAYOUT), 58u);
  EXPECT_EQ(longest_record(DESIGN_ROW_LAYOUT), 44u);
  // Trailing blanks count: they would be placed if a field followed.
  constexpr std::array<Element, 4> layout = {literal(" ab"), record_break(), blanks(7), literal("c")};
  EXPECT_EQ(longest_record(layout), 8u);
  // The longest record that fits, and one column more.
  constexpr std::array<Element, 2> widest = {blanks(static_cast<int>(kLongestRecord) - 1), literal("x")};
  EXPECT_EQ(records_of(widest), (Records{std::string(kLongestRecord - 1, ' ') + "x"}));
  constexpr std::array<Element, 2> too_wide = {blanks(static_cast<int>(kLongestRecord)), fixed(3, 1)};
  EXPECT_THROW(records_of(too_wide, {1.0f}), std::length_error);
}

// The console's byte stream.
std::string console_bytes(const std::function<void(ConsoleOutput&)>& writes) {
  testing::CapturedFd captured;
  ConsoleOutput console(captured.fd());
  writes(console);
  console.close();
  return captured.contents();
}

TEST(ConsoleOutputStream, TheOpeningOfARun) {
  EXPECT_EQ(console_bytes([](ConsoleOutput& c) {
              write_layout(c, TITLE_LAYOUT);
              write_layout(c, FILE_PROMPT_LAYOUT);
            }),
            "\nConical Corrugated Horn Design\n\nEnter output file ");
}

TEST(ConsoleOutputStream, PromptsFollowEachOtherOnOneLineWithoutEcho) {
  EXPECT_EQ(console_bytes([](ConsoleOutput& c) {
              write_layout(c, UNIT_PROMPT_LAYOUT);
              c.settle();
              write_layout(c, DESIGN_PROMPT_LAYOUT);
              c.settle();
              write_layout(c, SWEEP_PROMPT_LAYOUT);
            }),
            "Enter units: 1 cm, 2 inches Enter Frequency (GHz), Gain (dB) (0 terminates) "
            "\nEnter Frequency (GHz)  Start,Stop,Step (0 terminates) ");
}

TEST(ConsoleOutputStream, CarriageControl) {
  EXPECT_EQ(console_bytes([](ConsoleOutput& c) {
              c.write_record(" one");
              c.write_record("0two");
              c.write_record("1three");
              c.write_record("+four");
              c.write_record("xfive");
              c.write_record("");
              c.write_record(" six");
            }),
            "one\n\ntwo\n\fthree\rfour\nfive\n\nsix\n");
}

TEST(ConsoleOutputStream, TheOwedLineEndGoesOutBeforeAReadAndAtTheClose) {
  testing::CapturedFd captured;
  testing::CapturedFd input("answer\n");
  ConsoleOutput console(captured.fd());
  ConsoleInput keyboard(input.fd(), console);
  console.write_record(" shown");
  EXPECT_EQ(captured.contents(), "shown");
  EXPECT_EQ(keyboard.next_line(), "answer");
  EXPECT_EQ(captured.contents(), "shown\n");
  console.write_record(" last");
  console.close();
  console.close();
  EXPECT_EQ(captured.contents(), "shown\nlast\n");
}

TEST(ConsoleOutputStream, ARefusedWriteIsErrorThirtyEightOnUnitSix) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ::close(ends[0]);
  std::signal(SIGPIPE, SIG_IGN);
  ConsoleOutput console(ends[1]);
  try {
    console.write_record(" lost");
    FAIL() << "no IoFailure";
  } catch (const IoFailure& failure) {
    EXPECT_EQ(failure.number(), 38);
    EXPECT_EQ(failure.os_error(), EPIPE);
    EXPECT_STREQ(failure.what(), "error during write, unit 6, file CONOUT$");
  }
  console.close();  // the owed line end of a failed console is not reported again
  ::close(ends[1]);
}

struct LinesCase {
  std::string input;
  std::vector<std::string> lines;
};

TEST(ConsoleInputLines, LineEndsCarriageReturnsAndTheEndOfInput) {
  for (const LinesCase& c : {
           LinesCase{"a\nb\n", {"a", "b"}},
           LinesCase{"a\r\nb\r\n", {"a", "b"}},
           LinesCase{"a\r\r\n", {"a\r"}},          // one carriage return is removed
           LinesCase{"a\rb\n", {"a\rb"}},
           LinesCase{"last", {"last"}},            // a last line without its line end
           LinesCase{"last\r", {"last\r"}},
           LinesCase{"\n\n", {"", ""}},
           LinesCase{"a\n\x1a\nb\n", {"a"}},       // byte 26 alone ends the input
           LinesCase{"a\n\x1a", {"a"}},
           LinesCase{"\x1a\x1a\nb\n", {"\x1a\x1a", "b"}},
           LinesCase{std::string("n\0l\n", 4), {std::string("n\0l", 3)}},
       }) {
    testing::CapturedFd captured;
    testing::CapturedFd input(c.input);
    ConsoleOutput console(captured.fd());
    ConsoleInput keyboard(input.fd(), console);
    std::vector<std::string> lines;
    while (const auto line = keyboard.next_line()) lines.emplace_back(*line);
    EXPECT_EQ(lines, c.lines);
    EXPECT_FALSE(keyboard.next_line());  // the end stays the end
  }
}

TEST(ConsoleInputLines, LinesHaveNoLengthLimit) {
  const std::string long_line(3'000'000, 'x');
  testing::CapturedFd captured;
  testing::CapturedFd input(long_line + "\nshort\n" + long_line);
  ConsoleOutput console(captured.fd());
  ConsoleInput keyboard(input.fd(), console);
  EXPECT_EQ(keyboard.next_line()->size(), long_line.size());
  EXPECT_EQ(keyboard.next_line(), "short");
  EXPECT_EQ(keyboard.next_line()->size(), long_line.size());
  EXPECT_FALSE(keyboard.next_line());
}

}  // namespace
}  // namespace zavolt
