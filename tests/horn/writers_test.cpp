#include "horn/writers.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <nlohmann/json.hpp>

#include "horn/warnings.hpp"
#include "support/scratch.hpp"

namespace zavolt::horn {
namespace {

using zavolt::testing::CapturedFd;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(CsvField, QuotedOnlyWhenRfc4180AsksForIt) {
  EXPECT_EQ(csv_field("bw12.5_deg"), "bw12.5_deg");
  EXPECT_EQ(csv_field(""), "");
  EXPECT_EQ(csv_field("a,b"), "\"a,b\"");
  EXPECT_EQ(csv_field("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(csv_field("two\nlines"), "\"two\nlines\"");
  EXPECT_EQ(csv_field("cr\r"), "\"cr\r\"");
}

TEST(CsvNumber, ShortestTextThatReadsBackTheSameValue) {
  EXPECT_EQ(csv_number(Cell{}), "");
  EXPECT_EQ(csv_number(Cell::of(11.45)), "11.45");
  EXPECT_EQ(csv_number(Cell::of(0.1 + 0.2)), "0.30000000000000004");
  EXPECT_EQ(csv_number(Cell::of(kInf)), "inf");
  EXPECT_EQ(csv_number(Cell::of(-kInf)), "-inf");
  EXPECT_EQ(csv_number(Cell::of(std::numeric_limits<double>::quiet_NaN())), "");
  EXPECT_EQ(csv_number(Cell::of(1e-7)), "1e-07");
  // A binary32 is written in its own shortest digits: 20.0003f is 20.000299453735352 in binary64.
  EXPECT_EQ(csv_number(Cell::of_single(20.0003f)), "20.0003");
  EXPECT_EQ(csv_number(Cell::of_single(0.1f)), "0.1");
  EXPECT_EQ(std::strtof(csv_number(Cell::of_single(16.668999f)).c_str(), nullptr), 16.668999f);
}

TEST(TableNumber, FixedDecimalsOrShortest) {
  EXPECT_EQ(table_number(Cell{}, 3), "-");
  EXPECT_EQ(table_number(Cell::of(74.3489), 3), "74.349");
  EXPECT_EQ(table_number(Cell::of_single(0.5f), 4), "0.5000");
  EXPECT_EQ(table_number(Cell::of(kInf), 3), "inf");
  EXPECT_EQ(table_number(Cell::of(10.7), -1), "10.7");
}

ReportHead sample_head() {
  ReportHead head;
  head.command = "analyse";
  head.unit = "mm";
  head.model = "aperture";
  head.phase = "spherical";
  head.inputs.push_back(Input{"radius_mm", "aperture radius", "mm", ValueSequence::of(parse_number("74.349"))});
  head.inputs.push_back(Input{"frequency_ghz", "frequency", "GHz", parse_values("10:12:1")});
  head.inputs.push_back(Input{"levels_db", "levels", "dB", parse_values("3,10")});
  head.summary.push_back(Summary{"S", "0.4 to 0.6 wavelengths"});
  head.columns = {Column{"frequency_ghz", "frequency (GHz)", -1}, Column{"gain_dbi", "gain (dBi)", 3},
                  Column{"bw3_deg", "bw3 (deg)", 3}};
  return head;
}

std::vector<Row> sample_rows() {
  return {Row{{Cell::of(10.0), Cell::of(20.00012), Cell::of(16.5)}},
          Row{{Cell::of(11.0), Cell::of_single(21.5f), Cell{}}}};
}

std::string written(Format format, const std::vector<std::string>& warnings = {}) {
  CapturedFd fd;
  Output out(fd.fd(), "capture");
  const auto writer = make_row_writer(format, out);
  writer->begin(sample_head());
  for (const Row& row : sample_rows()) writer->row(row);
  writer->end(warnings);
  out.flush();
  return fd.contents();
}

TEST(Writers, CsvIsOneHeaderRowThenOneRowPerPoint) {
  EXPECT_EQ(written(Format::Csv), "frequency_ghz,gain_dbi,bw3_deg\n10,20.00012,16.5\n11,21.5,\n");
}

TEST(Writers, TableShowsTheInputsAndUnitsAboveAlignedColumns) {
  EXPECT_EQ(written(Format::Table),
            "zavolt-horn analyse: aperture model, spherical phase\n"
            "  aperture radius: 74.349 mm\n"
            "  frequency:       10 to 12 step 1 GHz\n"
            "  levels:          3, 10 dB\n"
            "  S:               0.4 to 0.6 wavelengths\n"
            "  unit:            mm\n"
            "\n"
            "  frequency (GHz)  gain (dBi)   bw3 (deg)\n"
            "               10      20.000      16.500\n"
            "               11      21.500           -\n");
}

TEST(Writers, JsonHoldsHeadRowsAndWarnings) {
  const std::string text = written(Format::Json, {"S = 1.2 at 12 GHz lies outside 0 to 1"});
  const nlohmann::json json = nlohmann::json::parse(text);
  EXPECT_EQ(json["command"], "analyse");
  EXPECT_EQ(json["unit"], "mm");
  EXPECT_EQ(json["model"], "aperture");
  EXPECT_EQ(json["phase"], "spherical");
  // One shape per input whatever was typed: a kind, then values or a range.
  EXPECT_EQ(json["inputs"]["radius_mm"], (nlohmann::json{{"kind", "values"}, {"values", {74.349}}}));
  EXPECT_EQ(json["inputs"]["frequency_ghz"],
            (nlohmann::json{{"kind", "range"}, {"start", 10.0}, {"stop", 12.0}, {"step", 1.0}}));
  EXPECT_EQ(json["inputs"]["levels_db"], (nlohmann::json{{"kind", "values"}, {"values", {3.0, 10.0}}}));
  ASSERT_EQ(json["rows"].size(), 2u);
  EXPECT_EQ(json["rows"][0]["gain_dbi"], 20.00012);
  EXPECT_TRUE(json["rows"][1]["bw3_deg"].is_null());
  EXPECT_EQ(json["rows"][1]["gain_dbi"].get<double>(), 21.5);
  EXPECT_EQ(json["warnings"],
            (nlohmann::json::array({{{"code", "warning"}, {"message", "S = 1.2 at 12 GHz lies outside 0 to 1"}, {"rows", 1}}})));
  EXPECT_EQ(text.back(), '\n');
}

// Only the infinities a column allows reach a writer (the slant of S = 0): JSON holds them as
// "inf", as --slant reads them back.
TEST(Writers, JsonWritesInfinitiesAsStringsAndTheShortTextOfABinary32) {
  CapturedFd fd;
  Output out(fd.fd(), "capture");
  const auto writer = make_row_writer(Format::Json, out);
  ReportHead head = sample_head();
  writer->begin(head);
  writer->row(Row{{Cell::of(kInf), Cell::of_single(20.0003f), Cell::of_single(-std::numeric_limits<float>::infinity())}});
  writer->end({});
  out.flush();
  const std::string text = fd.contents();
  EXPECT_NE(text.find("{\"frequency_ghz\":\"inf\",\"gain_dbi\":20.0003,\"bw3_deg\":\"-inf\"}"), std::string::npos)
      << text;
  EXPECT_EQ(nlohmann::json::parse(text)["rows"][0]["gain_dbi"].get<double>(), 20.0003);
}

TEST(Writers, JsonWithoutRowsIsStillOneObject) {
  CapturedFd fd;
  Output out(fd.fd(), "capture");
  const auto writer = make_row_writer(Format::Json, out);
  writer->begin(sample_head());
  writer->end({});
  out.flush();
  const nlohmann::json json = nlohmann::json::parse(fd.contents());
  EXPECT_TRUE(json["rows"].is_array());
  EXPECT_TRUE(json["rows"].empty());
  EXPECT_TRUE(json["warnings"].empty());
}

TEST(Warnings, EachKindOnceWithACountOfTheRowsItConcerns) {
  Warnings warnings;
  warnings.note("s", "S = 1.1 at 12 GHz lies outside 0 to 1");
  warnings.note("bw", "the 30 dB level is not reached within 90 deg at 10 GHz");
  warnings.note("s", "S = 1.2 at 13 GHz lies outside 0 to 1");
  warnings.note("s", "S = 1.3 at 14 GHz lies outside 0 to 1");
  warnings.note("bw", "the 30 dB level is not reached within 90 deg at 11 GHz");
  EXPECT_EQ(warnings.lines(), (std::vector<std::string>{
                                  "S = 1.1 at 12 GHz lies outside 0 to 1 (and 2 more rows)",
                                  "the 30 dB level is not reached within 90 deg at 10 GHz (and 1 more row)"}));
}

}  // namespace
}  // namespace zavolt::horn
