// The elementary functions of the program, on doubles only.
//
// Each takes and returns a double, so that a float argument is widened before the call and the
// float overloads of <cmath> can never be picked. dsqrt and dlog are the one place where a domain
// or singularity error of the program is detected: they throw MathError, which ends the run with
// the math-error report. A NaN argument is not an error: it passes through and gives NaN.
#pragma once

#include <cmath>
#include <stdexcept>
#include <string_view>

namespace zavolt {

enum class MathErrorKind { Domain, Singularity };

// The square root of a negative number (DOMAIN), or the logarithm of zero (SING) or of a negative
// number (DOMAIN).
class MathError : public std::runtime_error {
public:
  MathError(std::string_view function, MathErrorKind kind);
  [[nodiscard]] std::string_view function() const noexcept { return function_; }
  [[nodiscard]] MathErrorKind kind() const noexcept { return kind_; }
  // "DOMAIN" or "SING".
  [[nodiscard]] std::string_view kind_name() const noexcept;
  // 6201 for DOMAIN, 6202 for SING.
  [[nodiscard]] int number() const noexcept;

private:
  std::string_view function_;  // a literal: "sqrt" or "log"
  MathErrorKind kind_;
};

[[nodiscard]] double dsqrt(double x);  // throws MathError for x < 0 (-0 is not below zero)
[[nodiscard]] double dlog(double x);   // throws MathError for x == 0 (SING) and x < 0 (DOMAIN)

[[nodiscard]] inline double dpow(double base, double exponent) noexcept { return std::pow(base, exponent); }
[[nodiscard]] inline double dsin(double x) noexcept { return std::sin(x); }
[[nodiscard]] inline double dcos(double x) noexcept { return std::cos(x); }
[[nodiscard]] inline double datan(double x) noexcept { return std::atan(x); }

// sin(x) and cos(x) from one evaluation. The C library computes sincos with the very kernels of
// sin and cos, so each result has the bits that dsin and dcos give (a test compares them over the
// gain's phases and far beyond); only the shared argument reduction is saved.
inline void dsincos(double x, double& sine, double& cosine) noexcept { ::sincos(x, &sine, &cosine); }

}  // namespace zavolt
