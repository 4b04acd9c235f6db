// zavolt.classic: the dialogue's routines, binary32 in and out.
#include "zavolt/classic.hpp"

#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>

#include "bindings.hpp"
#include "results.hpp"

namespace zavolt::python {

namespace {

namespace classic = zavolt::classic;

struct ClassicDesign {
  py::object radius;
  py::object slant;
};

struct ClassicBeamwidths {
  py::object bw3;
  py::object bw10;
};

py::object optional_float(const std::optional<float>& value) {
  return value ? py::cast(static_cast<double>(*value)) : py::none();
}

}  // namespace

void bind_classic(py::module_& m) {
  m.doc() = R"(The zavolt dialogue's own routines, bit for bit.

Lengths in inches, frequencies in GHz, angles in degrees, gains in dB. Each argument is rounded
to the nearest binary32 number, as the dialogue stores what it reads, and each result is the
binary32 value the dialogue computes, returned as the Python float of exactly that value. Invalid
input raises zavolt.InvalidInput (value in inches or GHz). zavolt.aperture is the fuller model
in SI units.)";
  m.attr("DB_FACTOR") = static_cast<double>(classic::kDbFactor);
  m.attr("CENTIMETRES_PER_INCH") = static_cast<double>(classic::kCentimetresPerInch);

  py::class_<ClassicDesign> design(m, "Design",
                                   "A horn of the design table: radius and slant length in inches.");
  add_fields(design, "Design",
             {{"radius", {&ClassicDesign::radius, "Aperture radius, inches."}},
              {"slant", {&ClassicDesign::slant, "Slant length from apex to rim, inches; inf at S = 0."}}});

  py::class_<ClassicBeamwidths> widths(m, "Beamwidths", "Full 3 dB and 10 dB beamwidths in degrees.");
  add_fields(widths, "Beamwidths",
             {{"bw3",
               {&ClassicBeamwidths::bw3,
                "Full 3 dB width, degrees; None when the aperture is too small "
                "for that level (the dialogue's sqrt DOMAIN error)."}},
              {"bw10", {&ClassicBeamwidths::bw10, "Full 10 dB width, degrees; None as for bw3."}}});

  m.def(
      "design",
      [](float frequency_ghz, float gain_db, float s) {
        const classic::Design d = classic::design(frequency_ghz, gain_db, s);
        return ClassicDesign{py::float_(d.radius), py::float_(d.slant)};
      },
      py::arg("frequency_ghz"), py::arg("gain_db"), py::arg("s"),
      R"(The horn for a wanted gain at a frequency and phase deviation S: the design row.

frequency_ghz: GHz; gain_db: dB; s: S = a^2 / (2 L lambda), wavelengths (-0 is 0).
Returns Design(radius, slant) in inches.)");
  m.def("gain_ratio", &classic::gain_ratio, py::arg("frequency_ghz"), py::arg("radius"), py::arg("slant"),
        "The gain as a power ratio. frequency_ghz: GHz; radius, slant: inches (slant inf: no phase error).");
  m.def("gain_db", &classic::gain_db, py::arg("frequency_ghz"), py::arg("radius"), py::arg("slant"),
        "The gain in dB, float(ln(ratio) * 4.34294). frequency_ghz: GHz; radius, slant: inches.");
  m.def(
      "beamwidths",
      [](float frequency_ghz, float radius, float slant) {
        const classic::Beamwidths b = classic::beamwidths(frequency_ghz, radius, slant);
        return ClassicBeamwidths{optional_float(b.bw3), optional_float(b.bw10)};
      },
      py::arg("frequency_ghz"), py::arg("radius"), py::arg("slant"),
      "Full 3 dB and 10 dB widths in degrees. frequency_ghz: GHz; radius, slant: inches.");
  m.def("phase_deviation", &classic::phase_deviation, py::arg("frequency_ghz"), py::arg("radius"),
        py::arg("slant"),
        "S = a^2 / (2 L lambda), lambda = 11.80285 / f inches, as the beamwidths compute it. "
        "frequency_ghz: GHz; radius, slant: inches.");
  m.def("inches_from_centimetres", &classic::inches_from_centimetres, py::arg("centimetres"),
        "float(cm / 2.54): the dialogue's reading of a length typed in centimetres. Validates nothing.");
  m.def("centimetres_from_inches", &classic::centimetres_from_inches, py::arg("inches"),
        "float(inches * 2.54): the dialogue's display of a length in centimetres. Validates nothing.");
  m.def("sweep_point", &classic::sweep_point, py::arg("index"), py::arg("start"), py::arg("step"),
        "Point index (one-based) of a sweep: float((index - 1) step + start), evaluated in double.");
}

}  // namespace zavolt::python
