#!/usr/bin/env python3
"""Writes kernel_pins.hpp: the binary32 results of BESJ0, GLINT over FINT, ALGIP, CCHGN, HCNBW and
HCCGN at fixed inputs, as hex-float literals.

This is a second, independent implementation of the kernels' arithmetic: Python floats are IEEE
doubles, and f32() rounds a double to the nearest binary32 through a struct round-trip, at exactly
the points where the routines store a value. The elementary functions are Python's math module,
which calls the same C library double functions as the program. Nothing here is derived from the
C++ sources: a fault in either shows as a pin that fails.

Run from anywhere with any Python 3; the output goes next to this script. Inputs are fixed (a
seeded generator and hand-picked edge values), so a rerun reproduces the file byte for byte.
"""

import math
import pathlib
import random
import struct

OUTPUT = pathlib.Path(__file__).with_name("kernel_pins.hpp")


def f32(v):
    """The binary32 value nearest to the double v (ties to even), as a Python float."""
    try:
        return struct.unpack("<f", struct.pack("<f", v))[0]
    except OverflowError:  # beyond the largest binary32: rounds to an infinity
        return math.copysign(math.inf, v)


def next_up(v):
    """The next binary32 value above the positive binary32 value v."""
    return struct.unpack("<f", struct.pack("<I", struct.unpack("<I", struct.pack("<f", v))[0] + 1))[0]


def lit(v):
    """v (a binary32 value) as a C++ hex-float literal of type float."""
    assert f32(v) == v or math.isnan(v), v
    if v == 0.0:
        return "-0.0f" if math.copysign(1.0, v) < 0 else "0.0f"
    mantissa, exponent = v.hex().split("p")
    mantissa = mantissa.rstrip("0").rstrip(".")
    return f"{mantissa}p{exponent}f"


# ---------------------------------------------------------------------------------------------
# J0: power series in batches of five terms up to 10, asymptotic form above.

def besj0(x):
    if x - 10.0 <= 0.0:
        return besj0_series(x)
    return besj0_asymptotic(x)


def besj0_series(x):
    h = f32(x / 2.0)
    h2 = f32(h * h)
    t = 1.0
    total = 1.0
    previous = 1.0
    k = 1.0
    for _ in range(20):
        batch = 0.0
        for _ in range(5):
            t = f32(-((t * h2) / (k * k)))
            k = f32(k + 1.0)
            batch = f32(batch + t)
        total = f32(total + batch)
        if previous == total:
            break
        previous = total
    return previous


P_FACTORS = [(9.0, 2.0), (1225.0, 12.0), (9801.0, 30.0), (38025.0, 56.0), (104329.0, 90.0)]
Q_FACTORS = [(225.0, 6.0), (3969.0, 20.0), (20449.0, 42.0), (65025.0, 72.0)]


def nested(factors, y):
    """1 - c1 (1 - c2 (1 - ... (1 - cn))), c = numerator / (y denominator), innermost first."""
    value = 1.0 - factors[-1][0] / (y * factors[-1][1])
    for numerator, denominator in reversed(factors[:-1]):
        value = 1.0 - (numerator / (y * denominator)) * value
    return value


def besj0_asymptotic(x):
    y = f32((x * 64.0) * x)
    p = f32(nested(P_FACTORS, y))
    q = f32(nested(Q_FACTORS, y) / (x * 8.0))
    chi = f32(x - f32(0.7853982))
    w = f32(q * math.sin(chi))
    w = f32(p * math.cos(chi) + w)
    return f32(math.sqrt(f32(0.6366198) / x) * w)


# ---------------------------------------------------------------------------------------------
# Gauss-Legendre rule: the tabulated orders with their positive nodes (ascending) and weights
# (an odd order's centre weight first), as the quadrature tables list them.

RULES = {
    3: ([0.7745967], [0.8888889, 0.5555556]),
    4: ([0.33998105, 0.8611363], [0.6521451, 0.3478548]),
    5: ([0.5384693, 0.9061798], [0.5688889, 0.4786287, 0.2369269]),
    6: ([0.2386192, 0.6612094, 0.9324695], [0.4679139, 0.3607616, 0.1713245]),
    7: ([0.4058452, 0.7415312, 0.9491079], [0.4179592, 0.3818301, 0.2797054, 0.1294850]),
    8: ([0.1834346, 0.5255324, 0.7966665, 0.9602899], [0.3626838, 0.3137066, 0.2223810, 0.1012285]),
    9: ([0.3242534, 0.6133714, 0.8360311, 0.9681602],
        [0.3302394, 0.3123471, 0.2606107, 0.1806482, 0.08127439]),
    10: ([0.1488743, 0.4333954, 0.6794096, 0.8650634, 0.9739065],
         [0.2955242, 0.2692667, 0.2190864, 0.1494513, 0.06667134]),
    12: ([0.1252334, 0.3678315, 0.5873180, 0.7699027, 0.9041173, 0.9815606],
         [0.2491470, 0.2334925, 0.2031674, 0.1600783, 0.1069393, 0.04717534]),
    16: ([0.0950125, 0.2816035, 0.4580168, 0.6178762, 0.7554044, 0.8656312, 0.944575, 0.9894009],
         [0.1894506, 0.1826034, 0.1691565, 0.149596, 0.124629, 0.09515851, 0.06225352, 0.02715246]),
    32: ([0.04830767, 0.1444720, 0.2392874, 0.3318686, 0.4213513, 0.5068999, 0.5877158, 0.6630443,
          0.7321821, 0.7944838, 0.8493676, 0.8963212, 0.9349061, 0.9647623, 0.9856115, 0.9972639],
         [0.09654009, 0.09563872, 0.09384440, 0.09117388, 0.08765209, 0.08331192, 0.07819390,
          0.07234579, 0.06582222, 0.05868409, 0.05099806, 0.04283590, 0.03427386, 0.02539207,
          0.01627439, 0.007018610]),
}


def glint(lower, upper, integrand, order):
    """The rule's value; integrand(x) takes and returns binary32 values."""
    if order not in RULES:
        return 0.0
    nodes, weights = RULES[order]
    nodes = [f32(v) for v in nodes]
    weights = [f32(v) for v in weights]
    odd = order % 2
    h = f32((upper - lower) / 2.0)
    m = f32((upper + lower) / 2.0)
    result = 0.0
    for i, x in enumerate(nodes):
        w = weights[odd + i]
        result = f32(result + integrand(f32(m - h * x)) * w)
        result = f32(result + integrand(f32(h * x + m)) * w)
    if odd:
        return f32((result + integrand(m) * weights[0]) * h)
    return f32(h * result)


def fint(x, sine, phi):
    u = f32(f32(2.404826) * x)
    r = f32(besj0(u) * x)
    phase = (phi * x) * x
    return f32((math.sin(phase) if sine else math.cos(phase)) * r)


# ---------------------------------------------------------------------------------------------
# The horn routines.

LIGHT = f32(11.80285)


def cchgn(f, a, length):
    wavelength = f32(LIGHT / f)
    phi = f32(((a * a) * f32(3.1415927)) / (wavelength * length))
    ic = glint(0.0, 1.0, lambda x: fint(x, False, phi), 16)
    is_ = glint(0.0, 1.0, lambda x: fint(x, True, phi), 16)
    gain = f32((((a * f32(585.9198)) * a) * (ic * ic + is_ * is_)) / (wavelength * wavelength))
    return phi, ic, is_, gain


def algip(x, xs, ys):
    total = 0.0
    for i in range(len(xs)):
        product = 1.0
        for j in range(len(xs)):
            if j != i:
                product = f32(((x - xs[j]) * product) / (xs[i] - xs[j]))
        total = f32(product * ys[i] + total)
    return total


U3TAB = [2.09976, 2.10059, 2.10311, 2.10737, 2.11345, 2.1215, 2.13168, 2.14424, 2.1595, 2.17785,
         2.19983, 2.22611, 2.25761, 2.29552, 2.34149, 2.3978, 2.46773, 2.55609, 2.6703, 2.82216,
         3.03088, 3.32576, 3.73288, 4.21643, 4.68257, 5.09368]
U10TAB = [3.60996, 3.61314, 3.6228, 3.63925, 3.66309, 3.69521, 3.7369, 3.78999, 3.85711, 3.94202,
          4.05019, 4.18964, 4.37172, 4.60973, 4.90968, 5.24532, 5.57756, 5.88486, 6.172, 6.45386,
          6.75066, 7.09384, 7.5478, 8.24793, 9.06794, 9.69056]


def hcnbw(f, a, length):
    """(u3, u10, theta3, theta10, bw3, bw10), or None where a square root has no real value."""
    wavelength = f32(LIGHT / f)
    s = f32((a * a) / ((length * 2.0) * wavelength))
    bracket = min(int(s / f32(0.04) + 1.0), 24)
    xs = [f32((bracket + i - 2) * f32(0.04)) for i in (1, 2, 3)]
    k_2pi = f32(6.281853)
    u3 = algip(s, xs, [f32(v) for v in U3TAB[bracket - 1:bracket + 2]])
    x3 = f32((wavelength * u3) / (k_2pi * a))
    u10 = algip(s, xs, [f32(v) for v in U10TAB[bracket - 1:bracket + 2]])
    x10 = f32((wavelength * u10) / (k_2pi * a))
    if 1.0 - x3 * x3 < 0.0 or 1.0 - x10 * x10 < 0.0:
        return None
    theta3 = f32(math.atan(x3 / math.sqrt(1.0 - x3 * x3)))
    theta10 = f32(math.atan(x10 / math.sqrt(1.0 - x10 * x10)))

    def width(theta, field_level, power_level):
        q = f32((2.0 - field_level / math.log(math.cos(theta / 2.0))) * 2.0)
        y = f32(math.pow(power_level, 1.0 / q))
        return f32(math.atan(math.sqrt(1.0 - y * y) / y) * f32(229.1831))

    bw3 = width(theta3, f32(0.3465736), f32(0.5))
    bw10 = width(theta10, f32(1.151293), f32(0.1))
    return u3, u10, theta3, theta10, bw3, bw10


LSCOEF = [1.60117, -0.0697403, 9.930943, -4.675229, 8.909889, -5.402608]


def hccgn(f, gain, s):
    wavelength = f32(LIGHT / f)
    loss = f32(LSCOEF[5])
    for j in (4, 3, 2, 1, 0):
        loss = f32(loss * s + f32(LSCOEF[j]))
    ka = math.pow(10.0, (loss + gain) / 20.0)
    radius = f32((ka * wavelength) / f32(6.283185))
    slant = f32((radius * radius) / ((wavelength * 2.0) * s))
    return loss, radius, slant


# ---------------------------------------------------------------------------------------------
# Inputs.

rng = random.Random(20240610)


def uniform(lo, hi):
    return f32(rng.uniform(lo, hi))


def besj0_inputs():
    xs = [0.0, 1.0, 2.0, 5.0, 10.0, next_up(10.0), 12.0, 20.0, -1.0, -12.0]
    xs += [uniform(0.0, 2.404826) for _ in range(120)]        # FINT's range
    xs += [uniform(-10.0, 10.0) for _ in range(60)]           # the rest of the series
    xs += [uniform(-14.0, -10.0) for _ in range(8)]           # the series, with cancellation
    xs += [uniform(10.0, 100.0) for _ in range(60)]           # asymptotic form
    xs += [f32(10.0 ** rng.uniform(2.0, 7.0)) for _ in range(20)]
    return xs


def glint_inputs():
    cases = []
    for order in sorted(RULES):
        for lower, upper, phi in ((0.0, 1.0, 1.5), (0.0, 1.0, -4.0), (1.0, 0.0, 3.1415927),
                                  (0.25, 2.0, 0.75),
                                  (0.1, 1.3, 2.2)):  # a half-width and midpoint that round
            cases.append((order, f32(lower), f32(upper), f32(phi)))
    return cases


def algip_inputs():
    cases = []
    for n in (2, 3, 4, 5, 6):
        for _ in range(8):
            xs = sorted({uniform(-2.0, 3.0) for _ in range(n)})
            ys = [uniform(-5.0, 5.0) for _ in xs]
            cases.append((uniform(-2.5, 3.5), xs, ys))
    return cases


def cchgn_inputs():
    cases = [(10.0, 3.0, 15.0), (12.0, 2.0, 10.0), (20.0, 5.0, 30.0), (5.0, 1.0, 100.0),
             (10.0, 2.92712, 7.25929), (-10.0, 3.0, 15.0), (10.0, -3.0, 15.0), (10.0, 3.0, -15.0)]
    cases = [tuple(f32(v) for v in case) for case in cases]
    for _ in range(150):
        cases.append((uniform(1.0, 40.0), uniform(0.3, 12.0), uniform(1.0, 120.0)))
    return cases


def hcnbw_inputs():
    cases = [(10.0, 2.0, 10.0), (10.0, 3.0, 15.0), (10.0, 2.92712, 7.25929)]
    cases = [tuple(f32(v) for v in case) for case in cases]
    while len(cases) < 200:
        f = uniform(2.0, 40.0)
        a = uniform(0.5, 12.0)
        s = rng.uniform(0.0, 1.25)  # every bracket, the clamp at 24 and extrapolation beyond 1
        length = f32(a * a / (2.0 * (11.80285 / f) * s)) if s > 0.0 else f32(1e6)
        if hcnbw(f, a, length) is not None:
            cases.append((f, a, length))
    return cases


def hccgn_inputs():
    cases = [(10.0, 20.0, 0.5), (10.0, 20.0, 0.25), (10.0, 20.0, 1.0)]
    cases = [tuple(f32(v) for v in case) for case in cases]
    for _ in range(150):
        cases.append((uniform(1.0, 40.0), uniform(5.0, 40.0), uniform(0.01, 1.2)))
    return cases


# ---------------------------------------------------------------------------------------------
# Output.

def rows(kind, name, values):
    text = f"inline constexpr {kind} {name}[] = {{\n"
    for value in values:
        fields = [lit(v) if isinstance(v, float) else str(v) for v in value]
        separator = ",\n     " if any(field.startswith("{") for field in fields) else ", "
        text += "    {" + separator.join(fields) + "},\n"
    return text + "};\n"


def main():
    out = [
        "// Generated by generate_kernel_pins.py: do not edit; rerun the script and review the diff.",
        "// The kernels' binary32 results at fixed inputs, from an independent emulation of their",
        "// arithmetic (IEEE doubles rounded to binary32 where the routines store a value).",
        "#pragma once",
        "",
        "#include <array>",
        "#include <cstdint>",
        "",
        "namespace zavolt::pins {",
        "",
        "struct Besj0Pin { float x, j0; };",
        "// GLINT over FINT (cosine part, then sine part) for every tabulated order.",
        "struct GlintPin { std::int32_t order; float lower, upper, phi, cosine, sine; };",
        "struct AlgipPin { float x; std::array<float, 6> xs, ys; std::int32_t n; float value; };",
        "struct CchgnPin { float frequency, radius, slant, phi, ic, is, gain; };",
        "struct HcnbwPin {",
        "  float frequency, radius, slant, u3, u10, theta3, theta10, beamwidth_3db, beamwidth_10db;",
        "};",
        "struct HccgnPin { float frequency, gain_db, phase_deviation, loss, radius, slant; };",
        "",
    ]
    text = "\n".join(out) + "\n"
    text += rows("Besj0Pin", "BESJ0_PINS", [(x, besj0(x)) for x in besj0_inputs()])
    glints = []
    for order, lower, upper, phi in glint_inputs():
        cosine = glint(lower, upper, lambda x: fint(x, False, phi), order)
        sine = glint(lower, upper, lambda x: fint(x, True, phi), order)
        glints.append((order, lower, upper, phi, cosine, sine))
    text += rows("GlintPin", "GLINT_PINS", glints)
    algips = []
    for x, xs, ys in algip_inputs():
        pad = [0.0] * (6 - len(xs))
        algips.append((x, "{" + ", ".join(lit(v) for v in xs + pad) + "}",
                       "{" + ", ".join(lit(v) for v in ys + pad) + "}", len(xs), algip(x, xs, ys)))
    text += rows("AlgipPin", "ALGIP_PINS", algips)
    text += rows("CchgnPin", "CCHGN_PINS", [case + cchgn(*case) for case in cchgn_inputs()])
    text += rows("HcnbwPin", "HCNBW_PINS", [case + hcnbw(*case) for case in hcnbw_inputs()])
    text += rows("HccgnPin", "HCCGN_PINS", [case + hccgn(*case) for case in hccgn_inputs()])
    text += "\n}  // namespace zavolt::pins\n"
    OUTPUT.write_text(text)


if __name__ == "__main__":
    main()
