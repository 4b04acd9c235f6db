// The fifteen layouts of the dialogue: the title, the prompts, the report header, the table
// headings and rows. Columns count from 1; the first column of every record is carriage control
// on the console (a blank: a new line) and is kept in the report file.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "dialogue/layout.hpp"

namespace zavolt {

namespace layout_detail {

// The layouts' elements one after the other.
template <std::size_t... N>
constexpr std::array<Element, (N + ...)> join(const std::array<Element, N>&... parts) {
  std::array<Element, (N + ...)> joined{};
  std::size_t next = 0;
  ((std::copy(parts.begin(), parts.end(), joined.begin() + static_cast<std::ptrdiff_t>(next)), next += N), ...);
  return joined;
}

inline constexpr std::array<Element, 1> RECORD_BREAK = {record_break()};

// "S" in column 10, "Aperture Radius" in columns 17-31, "Slant Length" in columns 35-46.
inline constexpr std::array<Element, 6> DESIGN_COLUMN_HEADINGS = {
    blanks(8), literal(" S"), blanks(5), literal(" Aperture Radius"), blanks(2), literal(" Slant Length"),
};

}  // namespace layout_detail

inline constexpr std::array<Element, 3> TITLE_LAYOUT = {
    record_break(), literal(" Conical Corrugated Horn Design"), record_break(),
};

inline constexpr std::array<Element, 2> FILE_PROMPT_LAYOUT = {literal(" Enter output file "), open_prompt()};

// Input: the report file name, 70 characters.
inline constexpr std::array<Element, 1> FILE_NAME_LAYOUT = {text_field(70)};

inline constexpr std::array<Element, 2> UNIT_PROMPT_LAYOUT = {literal(" Enter units: 1 cm, 2 inches "),
                                                             open_prompt()};

inline constexpr std::array<Element, 2> DESIGN_PROMPT_LAYOUT = {
    literal(" Enter Frequency (GHz), Gain (dB) (0 terminates) "), open_prompt()};

// An empty record, then five blanks, the program's name and two blanks (13 characters).
inline constexpr std::array<Element, 3> NAME_LINE_LAYOUT = {record_break(), blanks(4), literal(" ZAVOLT  ")};

inline constexpr std::array<Element, 1> CREDIT_LINE_LAYOUT = {literal("     Code: K. O. Tessalin")};

inline constexpr std::array<Element, 6> PHASE_PROMPT_LAYOUT = {
    record_break(), literal(" Enter Max Aperture Phase Deviation (0 TO 1)"), record_break(),
    blanks(5),      literal(" Start,Stop,Step (0 terminates) "),             open_prompt(),
};

// Report file; values: design gain (columns 7-13), design frequency (columns 44-53).
inline constexpr auto DESIGN_REPORT_HEADER_LAYOUT = layout_detail::join(
    std::array<Element, 11>{
        record_break(), record_break(), literal("    Conical Corrugated Horn Design"), record_break(),
        record_break(), blanks(6), fixed(7, 2), literal(" dB Gain at Frequency (GHz) = "), fixed(10, 3),
        record_break(), record_break()},
    layout_detail::DESIGN_COLUMN_HEADINGS, layout_detail::RECORD_BREAK);

// Console: the column headings of the report's design header between two empty records.
inline constexpr auto DESIGN_CONSOLE_HEADER_LAYOUT = layout_detail::join(
    layout_detail::RECORD_BREAK, layout_detail::DESIGN_COLUMN_HEADINGS, layout_detail::RECORD_BREAK);

// Values: S (columns 7-13), aperture radius (21-27) and slant length (37-44) in the display unit.
inline constexpr std::array<Element, 6> DESIGN_ROW_LAYOUT = {
    blanks(6), fixed(7, 4), blanks(7), fixed(7, 3), blanks(9), fixed(8, 3),
};

inline constexpr std::array<Element, 7> HORN_PROMPT_LAYOUT = {
    record_break(), record_break(), literal(" Gain of a Conical Corrugated Horn"), record_break(), record_break(),
    literal(" Enter Aperture Radius, Slant Radius (0 terminates) "), open_prompt(),
};

inline constexpr std::array<Element, 3> SWEEP_PROMPT_LAYOUT = {
    record_break(), literal(" Enter Frequency (GHz)  Start,Stop,Step (0 terminates) "), open_prompt()};

// Values: aperture radius as typed (columns 25-32), unit label (33-36), slant radius as typed
// (58-65). No unit follows the slant radius.
inline constexpr std::array<Element, 24> ANALYSIS_HEADER_LAYOUT = {
    record_break(), record_break(), blanks(5), literal(" Conical Corrugated Horn"), record_break(),
    record_break(), blanks(5), literal(" Aperture Radius = "), fixed(8, 3), text_field(4), blanks(5),
    literal(" Slant Radius = "), fixed(8, 3), record_break(),
    record_break(), blanks(5), literal(" Frequency"), blanks(2), literal(" Gain(dB)"), blanks(2),
    literal(" 3 dB Beamwidth"), blanks(2), literal(" 10 dB Beamwidth"), record_break(),
};

// Values: frequency (columns 6-15), gain in dB (19-25), 3 dB beamwidth (34-40), 10 dB beamwidth (52-58).
inline constexpr std::array<Element, 8> ANALYSIS_ROW_LAYOUT = {
    blanks(5), fixed(10, 3), blanks(3), fixed(7, 2), blanks(8), fixed(7, 1), blanks(11), fixed(7, 1),
};

static_assert(std::max({longest_record(TITLE_LAYOUT), longest_record(FILE_PROMPT_LAYOUT),
                        longest_record(FILE_NAME_LAYOUT), longest_record(UNIT_PROMPT_LAYOUT),
                        longest_record(DESIGN_PROMPT_LAYOUT), longest_record(NAME_LINE_LAYOUT),
                        longest_record(CREDIT_LINE_LAYOUT), longest_record(PHASE_PROMPT_LAYOUT),
                        longest_record(DESIGN_REPORT_HEADER_LAYOUT), longest_record(DESIGN_CONSOLE_HEADER_LAYOUT),
                        longest_record(DESIGN_ROW_LAYOUT), longest_record(HORN_PROMPT_LAYOUT),
                        longest_record(SWEEP_PROMPT_LAYOUT), longest_record(ANALYSIS_HEADER_LAYOUT),
                        longest_record(ANALYSIS_ROW_LAYOUT)}) <= kLongestRecord,
              "every record of the dialogue fits the record buffer");

}  // namespace zavolt
