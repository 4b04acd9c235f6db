#include "numeric/elementary.hpp"

#include <string>

namespace zavolt {

namespace {

std::string_view kind_text(MathErrorKind kind) { return kind == MathErrorKind::Domain ? "DOMAIN" : "SING"; }

std::string describe(std::string_view function, MathErrorKind kind) {
  return std::string(function) + ": " + std::string(kind_text(kind)) + " error";
}

}  // namespace

MathError::MathError(std::string_view function, MathErrorKind kind)
    : std::runtime_error(describe(function, kind)), function_(function), kind_(kind) {}

std::string_view MathError::kind_name() const noexcept { return kind_text(kind_); }

int MathError::number() const noexcept { return kind_ == MathErrorKind::Domain ? 6201 : 6202; }

double dsqrt(double x) {
  if (x < 0.0) throw MathError("sqrt", MathErrorKind::Domain);
  return std::sqrt(x);
}

double dlog(double x) {
  if (x == 0.0) throw MathError("log", MathErrorKind::Singularity);
  if (x < 0.0) throw MathError("log", MathErrorKind::Domain);
  return std::log(x);
}

}  // namespace zavolt
