// Everything the dialogue keeps for the run, in one record. Every value starts at zero, so an
// answer left null (or cut short by a slash) before any value was typed keeps zero.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zavolt {

struct DialogueState {
  std::string report_file_name;      // as read, 70 characters
  std::int32_t unit_code = 0;        // 1 centimetres, 2 inches; 0 ends the run
  std::int32_t header_written = 0;   // the report header goes out once per run
  float design_frequency = 0.0f;     // GHz
  float design_gain = 0.0f;          // dB
  float phase_start = 0.0f;
  float phase_stop = 0.0f;
  float phase_step = 0.0f;
  float phase_deviation = 0.0f;      // S of the current design row
  std::int32_t point_count = 0;      // points of the current sweep, either kind
  std::int32_t point_index = 0;      // one-based
  float design_radius = 0.0f;        // inches, from the design routine
  float slant_length = 0.0f;         // inches, from the design routine
  float aperture_radius = 0.0f;      // display unit, as typed at the horn prompt
  float slant_radius = 0.0f;         // display unit, as typed
  float radius_inches = 0.0f;
  float slant_inches = 0.0f;
  float freq_start = 0.0f;           // GHz
  float freq_stop = 0.0f;
  float freq_step = 0.0f;
  float frequency = 0.0f;            // GHz, of the current analysis row
  float gain_db = 0.0f;
  float beamwidth_3db = 0.0f;        // degrees
  float beamwidth_10db = 0.0f;
};

// Display units per inch and the unit label, by unit code 1 (centimetres) and 2 (inches).
inline constexpr std::array<float, 2> UNIT_FACTOR = {2.54f, 1.0f};
inline constexpr std::array<std::string_view, 2> UNIT_LABEL = {" cm ", " in."};

}  // namespace zavolt
