#include "zavolt/aperture.hpp"

#include <stdexcept>

namespace zavolt::aperture {

namespace {

[[noreturn]] void not_yet() { throw std::logic_error("the aperture model is not built yet"); }

}  // namespace

double wavelength(double) { not_yet(); }
double edge_angle_from_f_over_d(double) { not_yet(); }
Geometry geometry(const Horn&, double) { not_yet(); }
Model::Model(const Horn&, double) { not_yet(); }
Directivity Model::directivity() const { not_yet(); }
std::complex<double> Model::relative_field(double) const { not_yet(); }
PatternPoint Model::pattern_point(double) const { not_yet(); }
std::vector<PatternPoint> Model::pattern(std::span<const double>) const { not_yet(); }
Beamwidth Model::beamwidth(double) const { not_yet(); }
FeedMetrics Model::feed_metrics(double) const { not_yet(); }
bool Model::maximum_off_axis() const { not_yet(); }
Directivity directivity(const Horn&, double) { not_yet(); }
Beamwidth beamwidth(const Horn&, double, double) { not_yet(); }
FeedMetrics feed_metrics(const Horn&, double, double) { not_yet(); }
std::vector<PatternPoint> pattern(const Horn&, double, std::span<const double>) { not_yet(); }
Design design_for_directivity(double, double, double, Phase) { not_yet(); }
Design design_for_edge_taper(double, double, double, double, Phase) { not_yet(); }

}  // namespace zavolt::aperture
