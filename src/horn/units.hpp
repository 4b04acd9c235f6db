// Lengths in the unit the user picked, for the model (binary64 metres) and for the classic routines
// (binary32 inches).
#pragma once

#include <optional>
#include <string_view>

#include "horn/values.hpp"

namespace zavolt::horn {

enum class Unit { Millimetre, Centimetre, Inch, Metre };

// "mm", "cm", "in" or "m"; nullopt for anything else.
[[nodiscard]] std::optional<Unit> unit_named(std::string_view name);
[[nodiscard]] std::string_view unit_name(Unit unit);

// The model's lengths: binary64 metres.
[[nodiscard]] double metres_from(Unit unit, double length);
[[nodiscard]] double length_from_metres(Unit unit, double metres);

// The classic routines' lengths: binary32 inches. Inches are the typed binary32; centimetres are
// divided by the binary32 2.54 as the dialogue divides them; millimetres and metres go to inches in
// binary64 from the typed decimal's binary64 and are rounded once.
[[nodiscard]] float inches_from(Unit unit, const TypedNumber& length);
// Back to the unit: inches unchanged; centimetres times the binary32 2.54 as the dialogue shows
// them; millimetres and metres times 25.4 or 0.0254 in binary64, rounded to binary32.
[[nodiscard]] float length_from_inches(Unit unit, float inches);

// Frequencies: GHz as typed, hertz for the model.
[[nodiscard]] double hertz_from_gigahertz(double gigahertz);

}  // namespace zavolt::horn
