#!/usr/bin/env python3
"""Writes kernel_pins.hpp: the binary32 results of BESJ0, GLINT over FINT, ALGIP, CCHGN, HCNBW and
HCCGN at fixed inputs, as hex-float literals.

This is a second, independent implementation of the kernels' arithmetic: Python floats are IEEE
doubles, and store() rounds a double to the nearest binary32 through a struct round-trip, at
exactly the points where the routines store a value. The elementary functions are Python's math
module, which calls the same C library double functions as the program. Nothing here is derived
from the C++ sources: a fault in either shows as a pin that fails.

The inputs are of two kinds. Spread inputs cover each routine's range. Witnesses make sure that
every single rounding point matters to some pin: each rounding point has a label, and for each
label the script searches a fixed stream of candidate inputs for the first ones whose result
changes when that rounding is left out ("drop"), or when a rounding is added at a neighbouring
step of the same formula ("round"), which is what moving a rounding by one operation does. A
rounding that can never change a result (x/2, k*k for small k, a doubling) finds no witness and
is listed on stderr.

Run from anywhere with any Python 3; the output goes next to this script. The candidate streams
are seeded, so a rerun reproduces the file byte for byte.
"""

import math
import pathlib
import random
import struct
import sys

OUTPUT = pathlib.Path(__file__).with_name("kernel_pins.hpp")


def f32(v):
    """The binary32 value nearest to the double v (ties to even), as a Python float."""
    try:
        return struct.unpack("<f", struct.pack("<f", v))[0]
    except OverflowError:  # beyond the largest binary32: rounds to an infinity
        return math.copysign(math.inf, v)


# The one perturbation in force while witnesses are searched: ("drop", label) leaves out the
# rounding of that stored value, ("round", label) rounds that intermediate double; None is the
# arithmetic as defined.
PERTURBATION = None


def store(label, v):
    """A value the routine stores: rounded to binary32."""
    return v if PERTURBATION == ("drop", label) else f32(v)


def step(label, v):
    """An intermediate double that the routine keeps unrounded."""
    return f32(v) if PERTURBATION == ("round", label) else v


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
    h = store("j0.h", x / 2.0)
    h2 = store("j0.h2", h * h)
    t = 1.0
    total = 1.0
    previous = 1.0
    k = 1.0
    for _ in range(20):
        batch = 0.0
        for _ in range(5):
            t = store("j0.term", -(step("j0.t*h2", t * h2) / step("j0.k*k", k * k)))
            k = store("j0.k", k + 1.0)
            batch = store("j0.batch", batch + t)
        total = store("j0.sum", total + batch)
        if f32(previous) == f32(total):
            break
        previous = total
    return f32(previous)


P_FACTORS = [(9.0, 2.0), (1225.0, 12.0), (9801.0, 30.0), (38025.0, 56.0), (104329.0, 90.0)]
Q_FACTORS = [(225.0, 6.0), (3969.0, 20.0), (20449.0, 42.0), (65025.0, 72.0)]



def nested(factors, y, label):
    """1 - c1 (1 - c2 (1 - ... (1 - cn))), c = numerator / (y denominator), innermost first."""
    value = 1.0 - factors[-1][0] / step(label + ".y*d", y * factors[-1][1])
    for depth, (numerator, denominator) in enumerate(reversed(factors[:-1])):
        value = step(f"{label}.bracket{depth}", value)
        value = 1.0 - step(f"{label}.c{depth}", numerator / (y * denominator)) * value
    return value


def besj0_asymptotic(x):
    y = store("j0.y", (x * 64.0) * x)
    p = store("j0.P", nested(P_FACTORS, y, "j0.P"))
    q = store("j0.Q", step("j0.Q.before/8x", nested(Q_FACTORS, y, "j0.Q")) / step("j0.8x", x * 8.0))
    chi = store("j0.chi", x - f32(0.7853982))
    w = store("j0.Q*sin", q * step("j0.sin", math.sin(chi)))
    w = store("j0.w", step("j0.P*cos", p * step("j0.cos", math.cos(chi))) + w)
    return f32(step("j0.amplitude", math.sqrt(step("j0.2/(pi x)", f32(0.6366198) / x))) * w)


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
    h = store("glint.h", (upper - lower) / 2.0)
    m = store("glint.m", (upper + lower) / 2.0)
    result = 0.0
    for i, x in enumerate(nodes):
        w = weights[odd + i]
        result = store("glint.sum", result + step("glint.F*w", integrand(f32(m - step("glint.h*x", h * x))) * w))
        result = store("glint.sum", result + step("glint.F*w", integrand(f32(step("glint.h*x", h * x) + m)) * w))
    if odd:
        centre = step("glint.centre", integrand(f32(m)) * weights[0])
        return f32(step("glint.odd sum", result + centre) * h)
    return f32(h * result)


def fint(x, sine, phi):
    u = f32(f32(2.404826) * x)
    r = store("fint.r", besj0(u) * x)
    if PERTURBATION == ("round", "fint.phi*(x*x)"):  # the other grouping of the phase
        phase = phi * (x * x)
    else:
        phase = step("fint.phase", step("fint.phi*x", phi * x) * x)
    return f32(step("fint.wave", math.sin(phase) if sine else math.cos(phase)) * r)


# ---------------------------------------------------------------------------------------------
# The horn routines.

LIGHT = f32(11.80285)


def cchgn(f, a, length):
    wavelength = store("cchgn.lambda", LIGHT / f)
    numerator = step("cchgn.a*a*pi", (a * a) * f32(3.1415927))
    phi = f32(numerator / step("cchgn.lambda*L", wavelength * length))
    ic = glint(0.0, 1.0, lambda x: fint(x, False, phi), 16)
    is_ = glint(0.0, 1.0, lambda x: fint(x, True, phi), 16)
    scale = step("cchgn.a*a*585", step("cchgn.a*585", a * f32(585.9198)) * a)
    numerator = step("cchgn.numerator", scale * step("cchgn.Ic2+Is2", ic * ic + is_ * is_))
    gain = f32(numerator / step("cchgn.lambda^2", wavelength * wavelength))
    return phi, ic, is_, gain


def algip(x, xs, ys):
    total = 0.0
    for i in range(len(xs)):
        product = 1.0
        for j in range(len(xs)):
            if j != i:
                numerator = step("algip.numerator", step("algip.x-xj", x - xs[j]) * product)
                product = store("algip.product", numerator / step("algip.xi-xj", xs[i] - xs[j]))
        total = store("algip.sum", step("algip.term", product * ys[i]) + total)
    return f32(total)


U3TAB = [2.09976, 2.10059, 2.10311, 2.10737, 2.11345, 2.1215, 2.13168, 2.14424, 2.1595, 2.17785,
         2.19983, 2.22611, 2.25761, 2.29552, 2.34149, 2.3978, 2.46773, 2.55609, 2.6703, 2.82216,
         3.03088, 3.32576, 3.73288, 4.21643, 4.68257, 5.09368]
U10TAB = [3.60996, 3.61314, 3.6228, 3.63925, 3.66309, 3.69521, 3.7369, 3.78999, 3.85711, 3.94202,
          4.05019, 4.18964, 4.37172, 4.60973, 4.90968, 5.24532, 5.57756, 5.88486, 6.172, 6.45386,
          6.75066, 7.09384, 7.5478, 8.24793, 9.06794, 9.69056]


def hcnbw(f, a, length):
    """(u3, u10, theta3, theta10, bw3, bw10), or None where a square root has no real value."""
    wavelength = store("hcnbw.lambda", LIGHT / f)
    s = store("hcnbw.S", step("hcnbw.a*a", a * a) / step("hcnbw.2L lambda", (length * 2.0) * wavelength))
    bracket = min(int(s / f32(0.04) + 1.0), 24)
    xs = [f32((bracket + i - 2) * f32(0.04)) for i in (1, 2, 3)]
    k_2pi = f32(6.281853)
    u3 = algip(f32(s), xs, [f32(v) for v in U3TAB[bracket - 1:bracket + 2]])
    x3 = store("hcnbw.X", step("hcnbw.lambda*u", wavelength * u3) / step("hcnbw.2pi a", k_2pi * a))
    u10 = algip(f32(s), xs, [f32(v) for v in U10TAB[bracket - 1:bracket + 2]])
    x10 = store("hcnbw.X", step("hcnbw.lambda*u", wavelength * u10) / step("hcnbw.2pi a", k_2pi * a))
    if 1.0 - x3 * x3 < 0.0 or 1.0 - x10 * x10 < 0.0:
        return None

    def angle(x):
        root = math.sqrt(step("hcnbw.1-X^2", 1.0 - x * x))
        return store("hcnbw.theta", math.atan(step("hcnbw.X/root", x / root)))

    theta3 = angle(x3)
    theta10 = angle(x10)

    def width(theta, field_level, power_level):
        log = step("hcnbw.log", math.log(step("hcnbw.cos", math.cos(theta / 2.0))))
        q = store("hcnbw.Q", (2.0 - step("hcnbw.d/log", field_level / log)) * 2.0)
        y = store("hcnbw.Y", math.pow(power_level, step("hcnbw.1/Q", 1.0 / q)))
        return f32(step("hcnbw.acos", math.atan(math.sqrt(1.0 - y * y) / y)) * f32(229.1831))

    bw3 = width(theta3, f32(0.3465736), f32(0.5))
    bw10 = width(theta10, f32(1.151293), f32(0.1))
    return f32(u3), f32(u10), f32(theta3), f32(theta10), bw3, bw10


LSCOEF = [1.60117, -0.0697403, 9.930943, -4.675229, 8.909889, -5.402608]


def hccgn(f, gain, s):
    wavelength = store("hccgn.lambda", LIGHT / f)
    loss = f32(LSCOEF[5])
    for j in (4, 3, 2, 1, 0):
        loss = store("hccgn.horner", step("hccgn.p*S", loss * s) + f32(LSCOEF[j]))
    exponent = step("hccgn.exponent", step("hccgn.p+gain", loss + gain) / 20.0)
    ka = step("hccgn.ka", math.pow(10.0, exponent))
    radius = store("hccgn.radius", step("hccgn.ka*lambda", ka * wavelength) / f32(6.283185))
    slant = f32(step("hccgn.a*a", radius * radius) / step("hccgn.2 lambda S", (wavelength * 2.0) * s))
    return f32(loss), f32(radius), slant


# ---------------------------------------------------------------------------------------------
# Spread inputs.

rng = random.Random(20240610)


def uniform(lo, hi, source=rng):
    return f32(source.uniform(lo, hi))


def besj0_inputs():
    xs = [0.0, 1.0, 2.0, 5.0, 10.0, next_up(10.0), 12.0, 20.0, -1.0, -12.0]
    xs += [uniform(0.0, 2.404826) for _ in range(120)]        # FINT's range
    xs += [uniform(-10.0, 10.0) for _ in range(60)]           # the rest of the series
    xs += [uniform(-14.0, -10.0) for _ in range(8)]           # the series, with cancellation
    xs += [uniform(10.0, 100.0) for _ in range(60)]           # asymptotic form
    xs += [f32(10.0 ** rng.uniform(2.0, 7.0)) for _ in range(20)]
    return [(x,) for x in xs]


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
            cases.append(algip_candidate(rng, n))
    return cases


def algip_candidate(source, n=None):
    n = n or source.randint(2, 6)
    xs = sorted({uniform(-2.0, 3.0, source) for _ in range(n)})
    ys = [uniform(-5.0, 5.0, source) for _ in xs]
    return (uniform(-2.5, 3.5, source), tuple(xs), tuple(ys))


def cchgn_inputs():
    cases = [(10.0, 3.0, 15.0), (12.0, 2.0, 10.0), (20.0, 5.0, 30.0), (5.0, 1.0, 100.0),
             (10.0, 2.92712, 7.25929), (-10.0, 3.0, 15.0), (10.0, -3.0, 15.0), (10.0, 3.0, -15.0)]
    cases = [tuple(f32(v) for v in case) for case in cases]
    for _ in range(150):
        cases.append((uniform(1.0, 40.0), uniform(0.3, 12.0), uniform(1.0, 120.0)))
    return cases


def hcnbw_candidate(source):
    """A horn whose S lies anywhere from 0 to 1.25: every bracket, the clamp at 24 and
    extrapolation beyond 1; None when its aperture is too small for the 10 dB point."""
    f = uniform(2.0, 40.0, source)
    a = uniform(0.5, 12.0, source)
    s = source.uniform(0.0, 1.25)
    length = f32(a * a / (2.0 * (11.80285 / f) * s)) if s > 0.0 else f32(1e6)
    return (f, a, length) if hcnbw(f, a, length) is not None else None


def hcnbw_inputs():
    cases = [(10.0, 2.0, 10.0), (10.0, 3.0, 15.0), (10.0, 2.92712, 7.25929)]
    cases = [tuple(f32(v) for v in case) for case in cases]
    while len(cases) < 200:
        case = hcnbw_candidate(rng)
        if case is not None:
            cases.append(case)
    return cases


def hccgn_inputs():
    cases = [(10.0, 20.0, 0.5), (10.0, 20.0, 0.25), (10.0, 20.0, 1.0)]
    cases = [tuple(f32(v) for v in case) for case in cases]
    for _ in range(150):
        cases.append((uniform(1.0, 40.0), uniform(5.0, 40.0), uniform(0.01, 1.2)))
    return cases


# ---------------------------------------------------------------------------------------------
# Witnesses.

def glint_fint(order, lower, upper, phi):
    return (glint(lower, upper, lambda x: fint(x, False, phi), order),
            glint(lower, upper, lambda x: fint(x, True, phi), order))


def besj0_candidate(source):
    lo, hi = source.choice([(0.0, 2.404826), (-10.0, 10.0), (-14.0, -10.0), (10.0, 11.0), (10.0, 100.0),
                            (100.0, 1e4)])
    return (uniform(lo, hi, source),)


def glint_candidate(source):
    lower, upper = uniform(-0.5, 1.5, source), uniform(-0.5, 1.5, source)
    return (source.choice(sorted(RULES)), lower, upper, uniform(-8.0, 8.0, source))


def cchgn_candidate(source):
    return (uniform(1.0, 40.0, source), uniform(0.3, 12.0, source), uniform(1.0, 120.0, source))


def hccgn_candidate(source):
    return (uniform(1.0, 40.0, source), uniform(5.0, 40.0, source), uniform(0.01, 1.2, source))


def labels_of(kernel, case):
    """The rounding points that the kernel passes on this input: (kind, label) pairs."""
    seen = set()
    global store, step
    plain_store, plain_step = store, step

    def recording_store(label, v):
        seen.add(("drop", label))
        return plain_store(label, v)

    def recording_step(label, v):
        seen.add(("round", label))
        return plain_step(label, v)

    store, step = recording_store, recording_step
    try:
        kernel(*case)
    finally:
        store, step = plain_store, plain_step
    return seen


def same(a, b):
    return struct.pack(f"<{len(a)}d", *a) == struct.pack(f"<{len(b)}d", *b)


def results(kernel, case):
    value = kernel(*case)
    value = value if isinstance(value, tuple) else (value,)
    return tuple(f32(v) for v in value)


def witnesses(kernel, candidate, tries, prefixes, sample_cases, per_point=2):
    """For each rounding point whose label starts with one of `prefixes`, the first `per_point`
    inputs of the candidate stream whose results change when that one rounding is perturbed."""
    global PERTURBATION
    points = set()
    for case in sample_cases:
        points |= labels_of(kernel, case)
    found = []
    for point in sorted(p for p in points if p[1].startswith(prefixes)):
        source = random.Random(f"{point[0]} {point[1]}")
        hits = 0
        for _ in range(tries):
            case = candidate(source)
            if case is None:
                continue
            PERTURBATION = None
            try:
                expected = results(kernel, case)
                PERTURBATION = point
                perturbed = results(kernel, case)
            except (ValueError, ZeroDivisionError, OverflowError):
                continue
            finally:
                PERTURBATION = None
            if not same(expected, perturbed):
                found.append((case, f"{point[0]} {point[1]}"))
                hits += 1
                if hits == per_point:
                    break
        if hits == 0:
            print(f"no witness in {tries} tries: {point[0]} {point[1]}", file=sys.stderr)
    return found


# ---------------------------------------------------------------------------------------------
# Output.

def rows(kind, name, cases):
    """cases: (fields, comment) pairs."""
    text = f"inline constexpr {kind} {name}[] = {{\n"
    for value, comment in cases:
        fields = [lit(v) if isinstance(v, float) else str(v) for v in value]
        separator = ",\n     " if any(field.startswith("{") for field in fields) else ", "
        text += "    {" + separator.join(fields) + "}," + (f"  // {comment}" if comment else "") + "\n"
    return text + "};\n"


def table(kernel, spread, witnessed, shape):
    """Rows for the spread inputs, then the witnesses, each with its results."""
    return [(shape(case, results(kernel, case)), None) for case in spread] + [
        (shape(case, results(kernel, case)), f"witness: {label}") for case, label in witnessed]


def float_array(values):
    values = list(values) + [0.0] * (6 - len(values))
    return "{" + ", ".join(lit(v) for v in values) + "}"


def main():
    out = [
        "// Generated by generate_kernel_pins.py: do not edit; rerun the script and review the diff.",
        "// The kernels' binary32 results at fixed inputs, from an independent emulation of their",
        "// arithmetic (IEEE doubles rounded to binary32 where the routines store a value). A row marked",
        "// as a witness is an input at which dropping or moving the named rounding changes a result.",
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

    spread = besj0_inputs()
    found = witnesses(besj0, besj0_candidate, 100000, ("j0.",), spread)
    text += rows("Besj0Pin", "BESJ0_PINS", table(besj0, spread, found, lambda c, r: c + r))

    spread = glint_inputs()
    found = witnesses(glint_fint, glint_candidate, 1500, ("glint.", "fint."), spread)
    text += rows("GlintPin", "GLINT_PINS", table(glint_fint, spread, found, lambda c, r: c + r))

    def algip_call(x, xs, ys):
        return algip(x, list(xs), list(ys))

    spread = algip_inputs()
    found = witnesses(algip_call, algip_candidate, 100000, ("algip.",), spread)
    text += rows("AlgipPin", "ALGIP_PINS", table(
        algip_call, spread, found, lambda c, r: (c[0], float_array(c[1]), float_array(c[2]), len(c[1])) + r))

    spread = cchgn_inputs()
    found = witnesses(cchgn, cchgn_candidate, 1500, ("cchgn.", "fint."), spread)
    text += rows("CchgnPin", "CCHGN_PINS", table(cchgn, spread, found, lambda c, r: c + r))

    spread = hcnbw_inputs()
    found = witnesses(hcnbw, hcnbw_candidate, 100000, ("hcnbw.", "algip."), spread)
    text += rows("HcnbwPin", "HCNBW_PINS", table(hcnbw, spread, found, lambda c, r: c + r))

    spread = hccgn_inputs()
    found = witnesses(hccgn, hccgn_candidate, 100000, ("hccgn.",), spread)
    text += rows("HccgnPin", "HCCGN_PINS", table(hccgn, spread, found, lambda c, r: c + r))

    text += "\n}  // namespace zavolt::pins\n"
    OUTPUT.write_text(text)


if __name__ == "__main__":
    main()
