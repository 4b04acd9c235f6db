#include "horn/units.hpp"

#include "numeric/fp.hpp"

namespace zavolt::horn {

namespace {

// The dialogue's centimetres per inch, as it stores them.
constexpr float kDialogueCentimetresPerInch = 2.54f;
// The inch by definition, in binary64: these conversions are ours, not the dialogue's.
constexpr double kMillimetresPerInch = 25.4;
constexpr double kMetresPerInch = 0.0254;

constexpr double kMillimetresPerMetre = 1000.0;
constexpr double kCentimetresPerMetre = 100.0;
constexpr double kHertzPerGigahertz = 1e9;

}  // namespace

std::optional<Unit> unit_named(std::string_view name) {
  if (name == "mm") return Unit::Millimetre;
  if (name == "cm") return Unit::Centimetre;
  if (name == "in") return Unit::Inch;
  if (name == "m") return Unit::Metre;
  return std::nullopt;
}

std::string_view unit_name(Unit unit) {
  switch (unit) {
    case Unit::Millimetre: return "mm";
    case Unit::Centimetre: return "cm";
    case Unit::Inch: return "in";
    case Unit::Metre: return "m";
  }
  return "?";
}

double metres_from(Unit unit, double length) {
  switch (unit) {
    case Unit::Millimetre: return length / kMillimetresPerMetre;
    case Unit::Centimetre: return length / kCentimetresPerMetre;
    case Unit::Inch: return length * kMetresPerInch;
    case Unit::Metre: return length;
  }
  return length;
}

double length_from_metres(Unit unit, double metres) {
  switch (unit) {
    case Unit::Millimetre: return metres * kMillimetresPerMetre;
    case Unit::Centimetre: return metres * kCentimetresPerMetre;
    case Unit::Inch: return metres / kMetresPerInch;
    case Unit::Metre: return metres;
  }
  return metres;
}

float inches_from(Unit unit, const TypedNumber& length) {
  switch (unit) {
    case Unit::Millimetre: return to_f32(length.value / kMillimetresPerInch);
    case Unit::Centimetre: return to_f32(wide(length.single) / wide(kDialogueCentimetresPerInch));
    case Unit::Inch: return length.single;
    case Unit::Metre: return to_f32(length.value / kMetresPerInch);
  }
  return length.single;
}

float length_from_inches(Unit unit, float inches) {
  switch (unit) {
    case Unit::Millimetre: return to_f32(wide(inches) * kMillimetresPerInch);
    case Unit::Centimetre: return to_f32(wide(inches) * wide(kDialogueCentimetresPerInch));
    case Unit::Inch: return inches;
    case Unit::Metre: return to_f32(wide(inches) * kMetresPerInch);
  }
  return inches;
}

double hertz_from_gigahertz(double gigahertz) { return gigahertz * kHertzPerGigahertz; }

}  // namespace zavolt::horn
