// Gauss-Legendre quadrature at eleven tabulated orders.
#pragma once

#include <array>
#include <cstdint>

namespace zavolt {

// An integrand receives the address of its abscissa variable; a caller may place further
// parameters of the integrand in the floats directly behind it.
using Integrand = float (*)(float* abscissa);

// The tabulated orders.
inline constexpr std::array<std::int32_t, 11> GLORD = {3, 4, 5, 6, 7, 8, 9, 10, 12, 16, 32};

// One-based positions in GLXTAB and GLWTAB of each order's first abscissa and first weight.
inline constexpr std::array<std::int32_t, 11> GLXBEG = {1, 2, 4, 6, 9, 12, 16, 20, 25, 31, 39};
inline constexpr std::array<std::int32_t, 11> GLWBEG = {1, 3, 5, 8, 11, 15, 19, 24, 29, 35, 43};

// Nodes on [-1, 1]: per order, the positive abscissae in ascending order (an odd order's centre
// node 0 is not stored). Seven significant digits of the published values, but for orders 3, 4
// and 16, whose entries are the decimals the program has always used.
inline constexpr std::array<float, 54> GLXTAB = {
    0.7745967f,                                                   // N = 3
    0.33998105f, 0.8611363f,                                      // N = 4
    0.5384693f, 0.9061798f,                                       // N = 5
    0.2386192f, 0.6612094f, 0.9324695f,                           // N = 6
    0.4058452f, 0.7415312f, 0.9491079f,                           // N = 7
    0.1834346f, 0.5255324f, 0.7966665f, 0.9602899f,               // N = 8
    0.3242534f, 0.6133714f, 0.8360311f, 0.9681602f,               // N = 9
    0.1488743f, 0.4333954f, 0.6794096f, 0.8650634f, 0.9739065f,   // N = 10
    0.1252334f, 0.3678315f, 0.5873180f, 0.7699027f, 0.9041173f,   // N = 12
    0.9815606f,
    0.0950125f, 0.2816035f, 0.4580168f, 0.6178762f, 0.7554044f,   // N = 16
    0.8656312f, 0.944575f, 0.9894009f,
    0.04830767f, 0.1444720f, 0.2392874f, 0.3318686f, 0.4213513f,  // N = 32
    0.5068999f, 0.5877158f, 0.6630443f, 0.7321821f, 0.7944838f,
    0.8493676f, 0.8963212f, 0.9349061f, 0.9647623f, 0.9856115f,
    0.9972639f,
};

// Weights: per order, an odd order's centre weight first, then the weights of the abscissae in
// the sequence of GLXTAB. Order 4's 0.6521451 is one unit below the rounded published value.
inline constexpr std::array<float, 58> GLWTAB = {
    0.8888889f, 0.5555556f,                                       // N = 3
    0.6521451f, 0.3478548f,                                       // N = 4
    0.5688889f, 0.4786287f, 0.2369269f,                           // N = 5
    0.4679139f, 0.3607616f, 0.1713245f,                           // N = 6
    0.4179592f, 0.3818301f, 0.2797054f, 0.1294850f,               // N = 7
    0.3626838f, 0.3137066f, 0.2223810f, 0.1012285f,               // N = 8
    0.3302394f, 0.3123471f, 0.2606107f, 0.1806482f, 0.08127439f,  // N = 9
    0.2955242f, 0.2692667f, 0.2190864f, 0.1494513f, 0.06667134f,  // N = 10
    0.2491470f, 0.2334925f, 0.2031674f, 0.1600783f, 0.1069393f,   // N = 12
    0.04717534f,
    0.1894506f, 0.1826034f, 0.1691565f, 0.149596f, 0.124629f,     // N = 16
    0.09515851f, 0.06225352f, 0.02715246f,
    0.09654009f, 0.09563872f, 0.09384440f, 0.09117388f, 0.08765209f,  // N = 32
    0.08331192f, 0.07819390f, 0.07234579f, 0.06582222f, 0.05868409f,
    0.05099806f, 0.04283590f, 0.03427386f, 0.02539207f, 0.01627439f,
    0.007018610f,
};

static_assert(GLXTAB.back() != 0.0f && GLWTAB.back() != 0.0f, "a short table zero-fills silently");
static_assert(GLXBEG.back() + GLORD.back() / 2 - 1 == static_cast<std::int32_t>(GLXTAB.size()));
static_assert(GLWBEG.back() + GLORD.back() / 2 - 1 == static_cast<std::int32_t>(GLWTAB.size()));

// Integrates the integrand from lower to upper by the N-point Gauss-Legendre rule, N one of GLORD;
// any other order gives 0.0 without calling the integrand. Each node is written into `abscissa`,
// whose address the integrand receives. The nodes are visited pair by pair from the centre
// outwards, the lower node of each pair first, an odd order's centre node last. Each term F*w is
// added to the binary32 running sum in double and rounded back; the final scaling by the
// half-width is one more rounding (fused with the centre term for odd orders).
// Swapped limits give a negative half-width; equal limits still call the integrand N times.
void GLINT(float lower, float upper, float& abscissa, Integrand integrand, std::int32_t order,
           float& result);

}  // namespace zavolt
