#!/usr/bin/python3
"""High-precision references for the aperture model, computed with mpmath.

Run once with Debian's python3-mpmath (/usr/bin/python3 tests/aperture/references/generate.py);
it writes tests/aperture/references/mpmath_references.hpp, which the tests include. The tests never
run this script. It takes under a minute on two cores.

Everything is in wavelengths: a = A lambda, L = A^2 / (2 S) lambda, and the phase centre in
wavelengths. The integrals are 24-point Gauss-Legendre rules (mpmath's nodes at 20 digits) on
pieces far narrower than the library's panels: in x, one piece per 3 radians of the integrand's
oscillation; in theta, one per 1.5 in u = k a sin(theta). With no phase error the aperture
integral is Lommel's closed form instead. The integrals in theta are split at the zeros of a real
field and the minima of a complex one, where |E| has a kink or nearly one. The roots are mpmath's
bracketing solver, the minima a golden-section search. Nothing here shares code or node choices
with the library.

The aperture rule is summed through J0's power series: sum_i c_i J0(u x_i) is
sum_k (-1)^k (u/2)^(2k) / (k!)^2 M_k with the moments M_k = sum_i c_i x_i^(2k), in fixed point with
enough bits to absorb the series' cancellation (its terms reach e^u). The moments are taken once
per horn, so a far-field value costs one series instead of a J0 per node, some hundred times less;
each horn checks the series against the plain sum with mpmath's J0 before it is used.

Convergence: `generate.py --refine 2` recomputes every case with twice the pieces in x and in theta,
writes nothing, and prints per quantity the largest difference from the checked-in values and, at
20 digits, from the unrefined rules. With the pieces doubled (and with them quadrupled alike):

    quantity        vs checked-in  vs unrefined   where the latter is largest (a/lambda, S, ...)
    directivity     4.9e-14 dB     1.0e-18 dB     8, 1.2, spherical
    beamwidth       4.9e-13 deg    1.1e-18 deg    5, 1.2, spherical, 30 dB
    edge taper      4.9e-14 dB     2.0e-16 dB     15, 1.2, spherical, 85 deg
    spillover       5.0e-16        9.3e-21        3.5, 1.2, spherical, 30 deg
    taper eff.      3.6e-11        3.6e-11        15, 0.01, quadratic, 30 deg
    phase centre    5.7e-12 lambda 5.8e-12 lambda 15, 0.01, quadratic, 5 deg

against tolerances of 1e-3 dB, 1e-2 degree, 1e-4 and 1e-3 lambda; the differences from the
checked-in values are mostly their rounding to 15 digits. The slowest to converge are the integrals
across the nearly closed nulls of a small S.
"""
import argparse
import math
import multiprocessing
import os
import re
import sys

import mpmath as mp
from mpmath import libmp
from mpmath.calculus.quadrature import GaussLegendre

mp.mp.dps = 20
P = mp.besseljzero(0, 1)
J1P = mp.besselj(1, P)
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, 'mpmath_references.hpp')
NODES = GaussLegendre(mp.mp).calc_nodes(4, mp.mp.prec)  # 24 nodes on [-1, 1]


def rule(lo, hi, pieces):
    """The 24-point rule on `pieces` equal pieces of [lo, hi]: (node, weight) pairs."""
    lo, hi = mp.mpf(lo), mp.mpf(hi)
    width = (hi - lo) / pieces
    out = []
    for k in range(pieces):
        centre = lo + width * (k + mp.mpf('0.5'))
        out.extend((centre + width / 2 * x, width / 2 * w) for x, w in NODES)
    return out

# (A = a/lambda, S, spherical): the corners of the accuracy domain (1 <= A <= 15, S <= 1.2,
# a/L = 2 S / A <= 0.7 under the spherical phase) and the benchmark horn. At A = 15 the largest
# phase error under both phases, a middling one, and a tiny one, whose nulls are nearly kinks of
# |E|; at A = 3.43, S = 1.2 the spherical phase's a/L = 0.7 corner.
CASES = [
    (1, 0, False),
    (1, 0.35, True),
    (1, 1.2, False),
    (1, 0.5, False),
    (3.5, 1.2, True),
    (mp.mpf('3.43'), 1.2, True),
    (5, 1.2, True),
    (8, 1.2, True),
    (15, 0, True),
    (15, 1.2, True),
    (15, 1.2, False),
    (15, 0.5, True),
    (15, 0.01, False),
    (mp.mpf('74.349') / (mp.mpf(299792458) / mp.mpf(10) ** 10 * 1000), 0.5, True),
]
LEVELS = [0.5, 3, 10, 30]
EDGES = [5, 30, 85]


class BesselSum:
    """u -> sum_i c_i J0(u x_i) for 0 <= u <= u_max, through the moments of the rule."""

    def __init__(self, terms, u_max):
        # The series' terms are below I0(u) < e^u: that many bits are lost to cancellation.
        self.wp = mp.mp.prec + int(float(u_max) * math.log2(math.e)) + 64
        wp = self.wp
        fixed = lambda v: libmp.to_fixed(mp.mpf(v)._mpf_, wp)
        squares = [fixed(x) ** 2 >> wp for x, _ in terms]
        c_re = [fixed(mp.re(c)) for _, c in terms]
        c_im = [fixed(mp.im(c)) for _, c in terms]
        # Moments until the largest series coefficient, at u_max, drops below one unit.
        u2_max = fixed(u_max) ** 2 >> wp
        powers = [1 << wp] * len(terms)
        coefficient = 1 << wp
        self.moments = []
        k = 0
        while coefficient:
            self.moments.append((sum(map(int.__mul__, c_re, powers)) >> wp,
                                 sum(map(int.__mul__, c_im, powers)) >> wp))
            k += 1
            coefficient = coefficient * u2_max // (4 * k * k) >> wp
            powers = [p * s >> wp for p, s in zip(powers, squares)]
        self.u_max = mp.mpf(u_max)
        self.terms = terms

    def __call__(self, u):
        wp = self.wp
        u2 = libmp.to_fixed(mp.mpf(u)._mpf_, wp) ** 2 >> wp
        coefficient = 1 << wp
        s_re = s_im = 0
        for k, (m_re, m_im) in enumerate(self.moments):
            if k:
                coefficient = (coefficient * u2 // (-4 * k * k)) >> wp
                if not coefficient:
                    break
            s_re += coefficient * m_re
            s_im += coefficient * m_im
        scale = lambda n: mp.mpf(libmp.from_man_exp(n, -2 * wp, mp.mp.prec))
        return mp.mpc(scale(s_re), scale(s_im))

    def check(self):
        """The series against the plain sum with mpmath's J0, across the range of u."""
        for fraction in ('0', '0.137', '0.5', '0.771', '1'):
            u = self.u_max * mp.mpf(fraction)
            plain = mp.fsum(c * mp.besselj(0, u * x) for x, c in self.terms)
            if abs(self(u) - plain) > mp.mpf(10) ** -18 * mp.fsum(abs(c) for _, c in self.terms):
                raise ArithmeticError('moment series disagrees with the plain sum at u = %s' % u)


class Horn:
    def __init__(self, a, s, spherical, refine=1):
        self.a = mp.mpf(a)
        self.s = mp.mpf(s)
        self.spherical = spherical
        self.refine = refine
        self.ka = 2 * mp.pi * self.a
        self.cache = {}
        if self.s == 0:
            self.rim = mp.mpf(0)
        else:
            slant = self.a ** 2 / (2 * self.s)
            self.h = mp.sqrt(slant ** 2 - self.a ** 2) if spherical else None
            self.rim = self.phase(mp.mpf(1))
            # The inner rule, fixed for every u up to k a.
            pieces = refine * (int(mp.ceil((self.ka + P + 2 * self.rim) / 3)) + 1)
            self.inner = BesselSum([(x, w * x * mp.besselj(0, P * x) * mp.expj(-self.phase(x)))
                                    for x, w in rule(0, 1, pieces)], self.ka)
            self.inner.check()
        self.f0 = self.integral(0)

    def phase(self, x):
        """k Delta(a x)."""
        if self.s == 0:
            return mp.mpf(0)
        if not self.spherical:
            return 2 * mp.pi * self.s * x ** 2
        r = self.a * x
        return 2 * mp.pi * (mp.sqrt(self.h ** 2 + r ** 2) - self.h)

    def integral(self, u):
        if self.s == 0:
            # Lommel: F(u) = p J1(p) J0(u) / (p^2 - u^2), since J0(p) = 0; J1(p)^2 / 2 at u = p.
            if abs(u - P) < mp.mpf(10) ** -12:
                return J1P ** 2 / 2
            return P * mp.besselj(0, u) * J1P / (P ** 2 - u ** 2)
        return self.inner(u)

    def field(self, theta):
        """E(theta) / E(0)."""
        key = mp.nstr(theta, 25)
        if key not in self.cache:
            self.cache[key] = (1 + mp.cos(theta)) / 2 * self.integral(self.ka * mp.sin(theta)) / self.f0
        return self.cache[key]

    def level(self, theta):
        return 20 * mp.log10(abs(self.field(theta)))

    def directivity(self):
        return 10 * mp.log10(16 * mp.pi ** 2 * self.a ** 2 * abs(self.f0) ** 2 / J1P ** 2)

    def grid(self, end, du=mp.mpf('0.1')):
        step = min(du / self.ka, mp.pi / 1800)
        n = int(mp.ceil(end / step))
        return [min(j * step, end) for j in range(n + 1)]

    def beamwidth(self, x):
        g = lambda t: self.level(t) + x
        grid = self.grid(mp.pi / 2, mp.mpf('0.1'))
        prev = grid[0]
        for t in grid[1:]:
            if g(t) <= 0:
                return 2 * mp.findroot(g, (prev, t), solver='anderson')
            prev = t
        return None

    def quad(self, f, lo, hi):
        n = self.refine * (int(mp.ceil((hi - lo) * self.ka / mp.mpf('1.5'))) + 1)
        return mp.fsum(w * f(t) for t, w in rule(lo, hi, n))


# Nulls of a field with phase error: deeper than 66 dB the model must call the phase centre
# undefined (it does below 60 dB); within 54 dB the reference leaves the phase centre unchecked.
NULL_FLAGGED = mp.mpf('5e-4')
NULL_FITTED = mp.mpf('2e-3')


def golden_minimum(f, lo, hi):
    """The minimum of f on [lo, hi] by golden-section search: (abscissa, value)."""
    ratio = (mp.sqrt(5) - 1) / 2
    a, b = lo, hi
    c, d = b - ratio * (b - a), a + ratio * (b - a)
    fc, fd = f(c), f(d)
    while b - a > mp.mpf(10) ** -18 * hi:
        if fc < fd:
            b, d, fd = d, c, fc
            c = b - ratio * (b - a)
            fc = f(c)
        else:
            a, c, fc = c, d, fd
            d = a + ratio * (b - a)
            fd = f(d)
    x = (a + b) / 2
    return x, f(x)


def feed(horn, total, edge_deg):
    te = mp.radians(edge_deg)
    taper = -horn.level(te)
    grid = horn.grid(te)
    fields = [horn.field(t) for t in grid]
    # The |E| integrals are split where |E| has a kink (the zeros of a real field) or nearly one
    # (the minima of a complex field, the sharper the smaller S). One point beyond the edge finds
    # a minimum just inside it.
    breaks = [mp.mpf(0)]
    zero = False
    depth = min(abs(f) for f in fields)
    if horn.s == 0:
        for j in range(1, len(grid)):
            if mp.sign(mp.re(fields[j])) != mp.sign(mp.re(fields[j - 1])):
                breaks.append(mp.findroot(lambda t: mp.re(horn.field(t)), (grid[j - 1], grid[j]), solver='anderson'))
                zero = True
    else:
        beyond = grid + [te + grid[1] - grid[0]]
        magnitudes = [abs(f) for f in fields] + [abs(horn.field(beyond[-1]))]
        for j in range(1, len(grid)):
            if magnitudes[j] <= magnitudes[j - 1] and magnitudes[j] <= magnitudes[j + 1]:
                x, value = golden_minimum(lambda t: abs(horn.field(t)), beyond[j - 1], beyond[j + 1])
                if x < te:
                    breaks.append(x)
                    depth = min(depth, value)
        zero = depth < NULL_FLAGGED
    breaks = sorted(breaks) + [te]
    within = lambda f: mp.fsum(horn.quad(f, breaks[i], breaks[i + 1]) for i in range(len(breaks) - 1))
    power = lambda t: abs(horn.field(t)) ** 2 * mp.sin(t)
    inside = within(power)
    moment = within(lambda t: abs(horn.field(t)) * mp.tan(t / 2))
    spill = inside / total
    eff = 2 / mp.tan(te / 2) ** 2 * moment ** 2 / inside
    centre = None
    if not zero and depth > (NULL_FITTED if horn.s else mp.mpf('0.01')):
        # The continuous phase on the dense grid; between grid points, the branch nearest it.
        unwrapped = [mp.mpf(0)]
        for j in range(1, len(grid)):
            turn = mp.arg(fields[j]) - unwrapped[-1]
            turn -= 2 * mp.pi * mp.nint(turn / (2 * mp.pi))
            unwrapped.append(unwrapped[-1] + turn)
        step = grid[1] - grid[0]

        def psi(t):
            ref = unwrapped[min(int(mp.nint(t / step)), len(grid) - 1)]
            turn = mp.arg(horn.field(t)) - ref
            return ref + turn - 2 * mp.pi * mp.nint(turn / (2 * mp.pi))

        # psi turns fast across a null: the same pieces as the |E| integrals.
        m = [within(lambda t, f=f: power(t) * f(t)) for f in (
            lambda t: 1, lambda t: mp.cos(t), lambda t: mp.cos(t) ** 2, psi, lambda t: psi(t) * mp.cos(t))]
        slope = (m[0] * m[4] - m[1] * m[3]) / (m[0] * m[2] - m[1] ** 2)
        centre = -slope / (2 * mp.pi)
    return taper, spill, eff, centre, zero


def num(v, digits):
    return 'kNotReached' if v is None else mp.nstr(v, digits, min_fixed=-30, max_fixed=30)


def run_case(case, refine=1, digits=15):
    a, s, spherical = case
    directivities, widths, feeds = [], [], []
    horn = Horn(a, s, spherical, refine)
    tag = '{%s, %s, %s' % (mp.nstr(horn.a, 17), mp.nstr(horn.s, 17), 'true' if spherical else 'false')
    directivities.append('%s, %s},' % (tag, num(horn.directivity(), digits)))
    for x in LEVELS:
        w = horn.beamwidth(x)
        widths.append('%s, %s, %s},' % (tag, x, num(None if w is None else mp.degrees(w), digits)))
    total = horn.quad(lambda t: abs(horn.field(t)) ** 2 * mp.sin(t), 0, mp.pi)
    for e in EDGES:
        taper, spill, eff, centre, zero = feed(horn, total, e)
        feeds.append('%s, %s, %s, %s, %s, %s, %s},' % (tag, e, num(taper, digits), num(spill, digits), num(eff, digits),
                                                         'kUnchecked' if centre is None else num(centre, digits),
                                                         'true' if zero else 'false'))
    print('done', mp.nstr(horn.a, 6), s, spherical, 'refined %d times' % refine, file=sys.stderr, flush=True)
    return directivities, widths, feeds


def run_all(refine, digits):
    with multiprocessing.Pool(2) as pool:
        results = pool.starmap(run_case, [(case, refine, digits) for case in CASES], chunksize=1)
    return [[line for r in results for line in r[i]] for i in range(3)]


def write(directivities, widths, feeds):
    with open(OUT, 'w') as f:
        f.write('// Generated by generate.py with mpmath at 20 digits; do not edit.\n'
                '// {a/lambda, S, spherical, ...}: see reference_types.hpp for the fields.\n'
                '#pragma once\n\n#include "aperture/references/reference_types.hpp"\n\n'
                'namespace zavolt::aperture::references {\n\n')
        f.write('inline constexpr DirectivityReference kDirectivity[] = {\n    %s\n};\n\n' % '\n    '.join(directivities))
        f.write('inline constexpr BeamwidthReference kBeamwidth[] = {\n    %s\n};\n\n' % '\n    '.join(widths))
        f.write('inline constexpr FeedReference kFeed[] = {\n    %s\n};\n\n' % '\n    '.join(feeds))
        f.write('}  // namespace zavolt::aperture::references\n')


def checked_in():
    """The three tables of the checked-in header, as generated lines."""
    tables = []
    with open(OUT) as f:
        for line in f:
            if line.startswith('inline constexpr'):
                tables.append([])
            elif line.startswith('    {'):
                tables[-1].append(line)
    return tables


# Per quantity: its table (0 directivity, 1 beamwidths, 2 feed), how many fields name the record
# (the case, then the level or the edge), and which field after those holds it.
QUANTITIES = {'directivity dB': (0, 3, 0), 'beamwidth degree': (1, 4, 0), 'edge taper dB': (2, 4, 0),
              'spillover': (2, 4, 1), 'taper efficiency': (2, 4, 2), 'phase centre lambda': (2, 4, 3)}


def records(lines, keys):
    """{naming fields: the other fields} of generated lines."""
    out = {}
    for line in lines:
        fields = re.match(r'\s*\{(.*)\},\s*$', line).group(1).split(', ')
        out[tuple(fields[:keys])] = fields[keys:]
    return out


def largest_differences(tables, against):
    """{quantity: (largest difference, the record)}, or a message where a flag or record differs."""
    out = {}
    for name, (table, keys, i) in QUANTITIES.items():
        new, old = records(tables[table], keys), records(against[table], keys)
        if new.keys() != old.keys():
            raise SystemExit('%s: the records differ' % name)
        worst, where = mp.mpf(0), None
        for key, fields in new.items():
            flags = [f for f in fields if not re.match(r'-?[0-9]', f)]
            if flags != [f for f in old[key] if not re.match(r'-?[0-9]', f)]:
                raise SystemExit('%s: %s is %s, was %s' % (name, ', '.join(key), fields, old[key]))
            if fields[i].startswith('k'):
                continue
            d = abs(mp.mpf(fields[i]) - mp.mpf(old[key][i]))
            if where is None or d > worst:
                worst, where = d, key
        out[name] = (worst, where)
    return out


def convergence(refine):
    """Prints, per quantity, the largest difference of the refined rules from the checked-in values
    and, at 20 digits, from the unrefined rules."""
    refined = run_all(refine, 20)
    against_header = largest_differences(refined, checked_in())
    against_plain = largest_differences(refined, run_all(1, 20))
    print('%-20s  %-40s  %s' % ('pieces x %d' % refine, 'vs the checked-in values (15 digits)', 'vs one piece, 20 digits'))
    for name in QUANTITIES:
        (d1, w1), (d2, w2) = against_header[name], against_plain[name]
        print('%-20s  %-8s %-31s  %-8s %s' % (name, mp.nstr(d1, 2), ', '.join(w1), mp.nstr(d2, 2), ', '.join(w2)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--refine', type=int, default=1,
                        help='multiply the pieces of every rule and report the change instead of writing')
    args = parser.parse_args()
    if args.refine == 1:
        write(*run_all(1, 15))
    else:
        convergence(args.refine)


if __name__ == '__main__':
    main()
