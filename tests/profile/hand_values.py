#!/usr/bin/env python3
"""The generator's check values, from the design rules written out again here with Python floats.

Prints the numbers that generate_test.cpp holds for three horns: a Ku-band feed (a = 30 mm,
L = 120 mm, 10.7 to 12.75 GHz), a 20 dBi horn at 30 GHz (a = 19.9 mm, L = 99.5 mm, the aperture
model's design at S = 0.2) and the f/D = 0.4 feed at 12 GHz (a = 15.4 mm, L = 47.6 mm).
"""
import math

C = 299792458.0


def quarter(lam, a):
    ka = 2 * math.pi / lam * a
    return lam / 4 * math.exp(1 / (2.114 * ka ** 1.134))


def horn(name, a, slant, fmin, fmax, n_mc=5, sigma=0.42, delta=0.8):
    ratio = fmax / fmin
    if ratio > 1.4:
        fc = 1.2 * fmin
        fo = 1.10 * fc
    else:
        fc = math.sqrt(fmin * fmax)
        fo = 1.02 * fc
    lc, lo = C / fc, C / fo
    ai = 3 * lc / (2 * math.pi)
    lin = lc / 2
    theta = math.asin(a / slant)
    lf = (a - ai) / math.tan(theta)
    p = lc / 8
    w, r = delta * p, (1 - delta) * p
    n = math.floor(lf / p)
    smooth = lf - n * p
    short = n < n_mc
    total_slots = n + (n_mc if short else 0)
    do = quarter(lo, a)
    print(f"== {name}")
    print(f"f_c {fc!r} f_o {fo!r} lambda_c {lc!r}")
    print(f"a_i {ai!r} input length {lin!r} flare {lf!r} pitch {p!r}")
    print(f"flare slots {n} smooth {smooth!r} short {short} slots {total_slots}")
    zf = lin + (n_mc * p if short else 0.0)
    slots = []
    for j in range(1, total_slots + 1):
        if short and j <= n_mc:
            z = lin + (j - 1) * p
            aj = ai
        else:
            k = j - 1 - (n_mc if short else 0)
            z = zf + smooth + k * p
            aj = ai + (a - ai) * (smooth + k * p + w + r / 2) / lf
        if j <= n_mc:
            d = (sigma - (j - 1) / n_mc * (sigma - quarter(lc, aj) / lc)) * lc
        else:
            m0 = n_mc + 1
            t = (j - m0) / (total_slots - m0) if total_slots > m0 else 1.0
            dc = quarter(lc, aj)
            d = dc - t * (dc - do)
        slots.append((j, z, aj, d))
    for j, z, aj, d in slots:
        if j <= n_mc + 2 or j == total_slots or j == (total_slots + n_mc) // 2:
            print(f"slot {j}: z {z!r} ridge {aj!r} depth {d!r}")
    print(f"D_o {do!r} total {zf + lf!r}")
    print(f"k a_i at fmin {2*math.pi*fmin/C*ai!r} at fmax {2*math.pi*fmax/C*ai!r} lambda_max/3 {C/fmax/3!r}")


horn("Ku-band feed", 30e-3, 120e-3, 10.7e9, 12.75e9)
horn("20 dBi at 30 GHz", 19.9e-3, 99.5e-3, 30e9, 30e9)
horn("f/D = 0.4 feed at 12 GHz", 15.4e-3, 47.6e-3, 12e9, 12e9)
