#!/usr/bin/python3
"""High-precision references for the aperture model, computed with mpmath.

Run once with Debian's python3-mpmath (/usr/bin/python3 tests/aperture/references/generate.py);
it writes tests/aperture/references/mpmath_references.hpp, which the tests include. The tests never
run this script.

Everything is in wavelengths: a = A lambda, L = A^2 / (2 S) lambda, and the phase centre in
wavelengths. The integrals are 24-point Gauss-Legendre rules (mpmath's nodes at 20 digits) on
pieces far narrower than the library's panels: in x, one piece per 3 radians of the integrand's
oscillation; in theta, one per 1.5 in u = k a sin(theta). With no phase error the aperture
integral is Lommel's closed form instead. The roots are mpmath's bracketing solver. Nothing here
shares code or node choices with the library. Cases run in two processes.
"""
import multiprocessing
import os
import sys

import mpmath as mp
from mpmath.calculus.quadrature import GaussLegendre

mp.mp.dps = 20
P = mp.besseljzero(0, 1)
J1P = mp.besselj(1, P)
HERE = os.path.dirname(os.path.abspath(__file__))
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
# a/L = 2 S / A <= 0.7 under the spherical phase) and the benchmark horn. At A = 15 only S = 0,
# where Lommel's closed form makes the references cheap; the phase error's largest corner is A = 8.
CASES = [
    (1, 0, False),
    (1, 0.35, True),
    (1, 1.2, False),
    (1, 0.5, False),
    (3.5, 1.2, True),
    (5, 1.2, True),
    (8, 1.2, True),
    (15, 0, True),
    (mp.mpf('74.349') / (mp.mpf(299792458) / mp.mpf(10) ** 10 * 1000), 0.5, True),
]
LEVELS = [0.5, 3, 10, 30]
EDGES = [5, 30, 85]


class Horn:
    def __init__(self, a, s, spherical):
        self.a = mp.mpf(a)
        self.s = mp.mpf(s)
        self.spherical = spherical
        self.ka = 2 * mp.pi * self.a
        self.cache = {}
        if self.s == 0:
            self.rim = mp.mpf(0)
        else:
            slant = self.a ** 2 / (2 * self.s)
            self.h = mp.sqrt(slant ** 2 - self.a ** 2) if spherical else None
            self.rim = self.phase(mp.mpf(1))
        # The inner rule, fixed for every u up to k a: J0(p x) and the phase factor are computed once.
        pieces = int(mp.ceil((self.ka + P + 2 * self.rim) / 3)) + 1
        self.inner = [] if self.s == 0 else [(x, w * x * mp.besselj(0, P * x) * mp.expj(-self.phase(x)))
                      for x, w in rule(0, 1, pieces)]
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
        return mp.fsum(w * mp.besselj(0, u * x) for x, w in self.inner)

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
        n = int(mp.ceil((hi - lo) * self.ka / mp.mpf('1.5'))) + 1
        return mp.fsum(w * f(t) for t, w in rule(lo, hi, n))


def feed(horn, total, edge_deg):
    te = mp.radians(edge_deg)
    taper = -horn.level(te)
    grid = horn.grid(te)
    fields = [horn.field(t) for t in grid]
    breaks = [mp.mpf(0)]
    zero = False
    if horn.s == 0:
        for j in range(1, len(grid)):
            if mp.sign(mp.re(fields[j])) != mp.sign(mp.re(fields[j - 1])):
                breaks.append(mp.findroot(lambda t: mp.re(horn.field(t)), (grid[j - 1], grid[j]), solver='anderson'))
                zero = True
    breaks.append(te)
    power = lambda t: abs(horn.field(t)) ** 2 * mp.sin(t)
    inside = sum(horn.quad(power, breaks[i], breaks[i + 1]) for i in range(len(breaks) - 1))
    moment = sum(horn.quad(lambda t: abs(horn.field(t)) * mp.tan(t / 2), breaks[i], breaks[i + 1])
                 for i in range(len(breaks) - 1))
    spill = inside / total
    eff = 2 / mp.tan(te / 2) ** 2 * moment ** 2 / inside
    centre = None
    if not zero and min(abs(f) for f in fields) > mp.mpf('0.01'):
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

        m = [horn.quad(lambda t, f=f: power(t) * f(t), 0, te) for f in (
            lambda t: 1, lambda t: mp.cos(t), lambda t: mp.cos(t) ** 2, psi, lambda t: psi(t) * mp.cos(t))]
        slope = (m[0] * m[4] - m[1] * m[3]) / (m[0] * m[2] - m[1] ** 2)
        centre = -slope / (2 * mp.pi)
    return taper, spill, eff, centre, zero


def num(v):
    return 'kNotReached' if v is None else mp.nstr(v, 15, min_fixed=-30, max_fixed=30)


def run_case(case):
    a, s, spherical = case
    directivities, widths, feeds = [], [], []
    if True:
        horn = Horn(a, s, spherical)
        tag = '{%s, %s, %s' % (mp.nstr(horn.a, 17), mp.nstr(horn.s, 17), 'true' if spherical else 'false')
        directivities.append('%s, %s},' % (tag, num(horn.directivity())))
        for x in LEVELS:
            w = horn.beamwidth(x)
            widths.append('%s, %s, %s},' % (tag, x, num(None if w is None else mp.degrees(w))))
        total = horn.quad(lambda t: abs(horn.field(t)) ** 2 * mp.sin(t), 0, mp.pi)
        for e in EDGES:
            taper, spill, eff, centre, zero = feed(horn, total, e)
            feeds.append('%s, %s, %s, %s, %s, %s, %s},' % (tag, e, num(taper), num(spill), num(eff),
                                                             'kUnchecked' if centre is None else num(centre),
                                                             'true' if zero else 'false'))
        print('done', a, s, spherical, file=sys.stderr, flush=True)
    return directivities, widths, feeds


def main():
    with multiprocessing.Pool(2) as pool:
        results = pool.map(run_case, CASES, chunksize=1)
    directivities = [line for r in results for line in r[0]]
    widths = [line for r in results for line in r[1]]
    feeds = [line for r in results for line in r[2]]
    out = os.path.join(HERE, 'mpmath_references.hpp')
    with open(out, 'w') as f:
        f.write('// Generated by generate.py with mpmath at 20 digits; do not edit.\n'
                '// {a/lambda, S, spherical, ...}: see reference_types.hpp for the fields.\n'
                '#pragma once\n\n#include "aperture/references/reference_types.hpp"\n\n'
                'namespace zavolt::aperture::references {\n\n')
        f.write('inline constexpr DirectivityReference kDirectivity[] = {\n    %s\n};\n\n' % '\n    '.join(directivities))
        f.write('inline constexpr BeamwidthReference kBeamwidth[] = {\n    %s\n};\n\n' % '\n    '.join(widths))
        f.write('inline constexpr FeedReference kFeed[] = {\n    %s\n};\n\n' % '\n    '.join(feeds))
        f.write('}  // namespace zavolt::aperture::references\n')


if __name__ == '__main__':
    main()
