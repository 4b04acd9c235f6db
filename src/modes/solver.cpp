// The solver: the profile's merged sections and mode sets fixed once (with the frequency-free
// coupling matrices of every junction), then per frequency the cascade, the aperture and the
// far-field weights.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <numbers>
#include <thread>

#include "modes/far_field.hpp"
#include "modes/gsm.hpp"
#include "modes/pattern.hpp"
#include "zavolt/modes.hpp"

namespace zavolt::modes {

using detail::Complex;
using detail::Guide;
using detail::Gsm;
using detail::Matrix;
using detail::RealMatrix;
using detail::Vector;
using detail::Waves;

struct Solver::Plan {
  Options options;
  int modes = 0;
  detail::Zeros zeros;
  std::vector<double> lengths;
  std::vector<Guide> guides;
  // couplings[s - 1]: M between guides s - 1 and s, rows the larger guide's modes.
  std::vector<RealMatrix> couplings;
  std::vector<bool> step_up;  // guide s wider than guide s - 1
};

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kConvergenceFactor = 1.5;
constexpr double kChiTm11 = 3.831705970207512;

void require_positive_finite(Quantity quantity, double value) {
  if (!(std::isfinite(value) && value > 0.0)) throw InvalidInput(quantity, value, "must be positive and finite");
}

std::shared_ptr<const Solver::Plan> make_plan(const profile::Profile& profile, const Options& options, double scale) {
  if (profile.sections.empty()) throw InvalidInput(Quantity::section_length, 0.0, "must be given: the profile has no section");
  auto plan = std::make_shared<Solver::Plan>();
  plan->options = options;
  double widest = 0.0;
  for (const auto& s : profile.sections) {
    require_positive_finite(Quantity::section_length, s.length);
    require_positive_finite(Quantity::section_radius, s.radius);
    if (!plan->guides.empty() && plan->guides.back().radius == s.radius) {
      plan->lengths.back() += s.length;
      continue;
    }
    plan->guides.push_back(Guide{s.radius, 0, 0});
    plan->lengths.push_back(s.length);
    widest = std::max(widest, s.radius);
  }
  const int requested = options.modes.value_or(kDefaultModes);
  if (requested < 1) throw InvalidInput(Quantity::mode_count, requested, "must be at least 1");
  if (options.rule == ModeRule::fixed) {
    const int n = static_cast<int>(std::ceil(scale * requested));
    plan->zeros = detail::bessel_zeros(n);
    for (auto& g : plan->guides) g.te = g.tm = n;
    plan->modes = n;
  } else {
    // The limit in units of 1 / widest radius: chi_N of TM holds N modes of each kind there.
    const detail::Zeros base = detail::bessel_zeros(requested);
    const double limit = scale * base.tm.back();
    plan->zeros = detail::bessel_zeros(static_cast<int>(std::ceil(limit / kPi)) + 2);
    const auto& z = plan->zeros;
    for (auto& g : plan->guides) {
      const double x = limit * (g.radius / widest);
      g.te = static_cast<int>(std::upper_bound(z.te.begin(), z.te.end(), x) - z.te.begin());
      g.tm = static_cast<int>(std::upper_bound(z.tm.begin(), z.tm.end(), x) - z.tm.begin());
      if (g.radius == widest) plan->modes = g.te;
      if (g.size() == 0) {
        throw InvalidInput(Quantity::mode_count, requested, "must leave at least TE11 in every section");
      }
    }
  }
  for (std::size_t s = 1; s < plan->guides.size(); ++s) {
    const Guide& left = plan->guides[s - 1];
    const Guide& right = plan->guides[s];
    const bool up = right.radius > left.radius;
    plan->step_up.push_back(up);
    plan->couplings.push_back(up ? detail::coupling(left, right, plan->zeros) : detail::coupling(right, left, plan->zeros));
  }
  return plan;
}

// The junction between guides s - 1 and s, port 1 on the left.
Gsm junction(const Solver::Plan& plan, std::size_t s, const Waves& left, const Waves& right) {
  if (plan.step_up[s - 1]) return detail::step(plan.couplings[s - 1], left, right);
  return detail::mirrored(detail::step(plan.couplings[s - 1], right, left));
}

Vector aperture_reflection(const Options& options, const Waves& w) {
  if (options.aperture == Termination::matched) return Vector::Zero(w.y.size());
  return ((w.y.array() - 1.0) / (w.y.array() + 1.0)).matrix();
}

Mode mode_of(const Guide& g, const detail::Zeros& z, Eigen::Index i, const Waves& w) {
  Mode m;
  m.kind = i < g.te ? Kind::te : Kind::tm;
  const auto n = static_cast<std::size_t>(i < g.te ? i : i - g.te);
  m.order = static_cast<int>(n) + 1;
  m.cutoff = (m.kind == Kind::te ? z.te[n] : z.tm[n]) / g.radius;
  m.propagating = w.beta(i).imag() == 0.0;
  return m;
}

Solution solve_plan(const Solver::Plan& plan, double frequency) {
  require_positive_finite(Quantity::frequency, frequency);
  const double k = 2.0 * kPi * frequency / kSpeedOfLight;
  const auto& z = plan.zeros;
  const Guide& input = plan.guides.front();
  if (!(k * input.radius > z.te.front())) {
    throw InvalidInput(Quantity::frequency, frequency, "must put TE11 above cut-off in the input guide");
  }
  const std::size_t count = plan.guides.size();
  std::vector<Waves> w;
  w.reserve(count);
  std::vector<Vector> delay;
  delay.reserve(count);
  for (std::size_t s = 0; s < count; ++s) {
    w.push_back(detail::waves(plan.guides[s], z, k));
    delay.push_back(detail::line(w[s], plan.lengths[s]));
  }
  const Vector gamma_ap = aperture_reflection(plan.options, w.back());

  Vector reflected;  // at the input, for unit TE11 incident
  Vector forward;    // at the aperture plane
  if (plan.options.cascade == Cascade::reflection) {
    Matrix gamma = gamma_ap.asDiagonal();
    std::vector<Matrix> transfer(count);
    for (std::size_t s = count; s-- > 1;) {
      gamma = delay[s].asDiagonal() * gamma * delay[s].asDiagonal();
      auto r = detail::reflect(junction(plan, s, w[s - 1], w[s]), gamma);
      transfer[s] = std::move(r.transfer);
      gamma = std::move(r.gamma);
    }
    gamma = delay[0].asDiagonal() * gamma * delay[0].asDiagonal();
    reflected = gamma.col(0);
    forward = Vector::Zero(input.size());
    forward(0) = delay[0](0);
    for (std::size_t s = 1; s < count; ++s) forward = delay[s].cwiseProduct(transfer[s] * forward);
  } else {
    Gsm r = detail::line_gsm(delay[0]);
    for (std::size_t s = 1; s < count; ++s) r = detail::star_line(detail::star(r, junction(plan, s, w[s - 1], w[s])), delay[s]);
    if (plan.options.aperture == Termination::matched) {
      reflected = r.s11.col(0);
      forward = r.s21.col(0);
    } else {
      Matrix lhs = -r.s22 * gamma_ap.asDiagonal();
      lhs.diagonal().array() += 1.0;
      forward = Eigen::PartialPivLU<Matrix>(lhs).solve(r.s21.col(0));
      reflected = r.s11.col(0) + r.s12 * gamma_ap.cwiseProduct(forward);
    }
  }

  Solution sol;
  sol.frequency = frequency;
  sol.s11 = reflected(0);
  sol.return_loss_db = -20.0 * std::log10(std::abs(sol.s11));
  sol.vswr = (1.0 + std::abs(sol.s11)) / (1.0 - std::abs(sol.s11));
  sol.modes = plan.modes;
  sol.input_modes = input.size();
  const Guide& ap = plan.guides.back();
  sol.aperture_modes = ap.size();
  sol.aperture = plan.options.aperture;
  double power = 0.0;
  for (Eigen::Index i = 0; i < reflected.size(); ++i) {
    ModePower p{mode_of(input, z, i, w.front()), reflected(i), 0.0};
    if (p.mode.propagating) p.power = std::norm(reflected(i));
    power += p.power;
    sol.reflected.push_back(p);
  }
  auto ff = std::make_shared<Solution::FarField>();
  ff->k = k;
  ff->radius = ap.radius;
  const Waves& wa = w.back();
  for (Eigen::Index i = 0; i < forward.size(); ++i) {
    const Complex c = forward(i);
    const Complex g = gamma_ap(i);
    const Complex y = wa.y(i);
    // Re(E x H*) of the forward wave and its reflection, in units of the incident power.
    ModePower p{mode_of(ap, z, i, wa), c, std::norm(c) * ((1.0 + g) * std::conj(1.0 - g) * std::conj(y)).real() / std::abs(y)};
    power += p.power;
    sol.transmitted.push_back(p);
    Solution::FarField::Term t;
    const auto n = static_cast<std::size_t>(p.mode.order - 1);
    t.te = p.mode.kind == Kind::te;
    t.chi = t.te ? z.te[n] : z.tm[n];
    t.scale = 2.0 * kPi * ap.radius * (t.te ? z.te_norm[n] * z.te_j1[n] : z.tm_norm[n] * z.tm_j1_prime[n]);
    t.e = (1.0 + g) * c / wa.root(i);
    t.h = (1.0 - g) * c * wa.root(i);
    ff->terms.push_back(t);
  }
  sol.power_check = power;
  ff->boresight = ff->fields(0.0).first;
  ff->hemisphere = detail::hemisphere_power(*ff);
  sol.far_field = std::move(ff);
  sol.warnings.aperture_below_wavelength = ap.radius < 2.0 * kPi / k;
  sol.warnings.input_overmoded = k * input.radius > kChiTm11;
  return sol;
}

}  // namespace

Solver::Solver(const profile::Profile& profile, Options options) : options_(options) {
  plan_ = make_plan(profile, options, 1.0);
  if (options.convergence) check_plan_ = make_plan(profile, options, kConvergenceFactor);
}

const Options& Solver::options() const noexcept { return options_; }
int Solver::modes() const noexcept { return plan_->modes; }
std::size_t Solver::junctions() const noexcept { return plan_->couplings.size(); }
double Solver::input_radius() const noexcept { return plan_->guides.front().radius; }
double Solver::aperture_radius() const noexcept { return plan_->guides.back().radius; }

Solution Solver::solve(double frequency) const {
  Solution sol = solve_plan(*plan_, frequency);
  if (check_plan_) {
    const Solution hi = solve_plan(*check_plan_, frequency);
    sol.convergence = detail::compare(sol, hi);
    sol.warnings.not_converged = !sol.convergence->converged();
  }
  return sol;
}

std::vector<Solution> Solver::sweep(std::span<const double> frequencies, unsigned jobs,
                                    const std::function<void(std::size_t done)>& progress) const {
  std::vector<Solution> out(frequencies.size());
  if (jobs == 0) jobs = std::max(1u, std::thread::hardware_concurrency());
  jobs = static_cast<unsigned>(std::min<std::size_t>(jobs, std::max<std::size_t>(1, frequencies.size())));
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::mutex mutex;
  std::size_t done = 0;
  std::exception_ptr error;
  std::size_t error_index = frequencies.size();
  const auto work = [&] {
    for (;;) {
      const std::size_t i = next.fetch_add(1);
      if (i >= frequencies.size() || failed.load()) return;  // every lower index is already taken
      try {
        out[i] = solve(frequencies[i]);
        const std::lock_guard lock(mutex);
        ++done;
        if (progress) progress(done);
      } catch (...) {
        // The lowest failing frequency's error, whatever the order the workers met them in.
        const std::lock_guard lock(mutex);
        if (i < error_index) {
          error = std::current_exception();
          error_index = i;
        }
        failed = true;
        return;
      }
    }
  };
  if (jobs == 1) {
    work();
  } else {
    std::vector<std::jthread> pool;
    pool.reserve(jobs);
    for (unsigned j = 0; j < jobs; ++j) pool.emplace_back(work);
  }
  if (error) std::rethrow_exception(error);
  return out;
}

}  // namespace zavolt::modes
