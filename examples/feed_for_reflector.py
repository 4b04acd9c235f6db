#!/usr/bin/env python3
"""A corrugated feed for an f/D = 0.4 reflector at 12 GHz, designed to a 12 dB edge taper.

1. The aperture model designs the horn: the smallest aperture whose pattern is 12 dB down at the
   rim of the dish (64 degrees from the focus), at S = 0.1.
2. The profile generator turns that aperture into a corrugated horn for 10.7 to 12.75 GHz: input
   guide, mode converter, slots.
3. Mode matching simulates the horn as built across the band: return loss and far-field cuts.
4. One PNG: the profile, the pattern cuts of both models at the band's ends and middle, and the
   return loss across the band.

Run it with the module on the path (PYTHONPATH=build/release/python from a build tree):
    python3 examples/feed_for_reflector.py [picture.png]
"""

import pathlib
import sys

import numpy as np
from matplotlib.figure import Figure

import zavolt
from zavolt import aperture, modes, profile

F_OVER_D = 0.4
CENTRE = 12e9  # Hz
BAND = (10.7e9, 12.75e9)  # Hz
EDGE_TAPER = 12.0  # dB
S = 0.1  # wavelengths: a short horn with little phase error


def main(picture):
    # 1. The aperture for a 12 dB edge taper at the rim of the dish.
    edge = aperture.edge_angle_from_f_over_d(F_OVER_D)
    design = aperture.design_for_edge_taper(EDGE_TAPER, edge, CENTRE, S)
    horn = design.horn
    print(f"edge half-angle {np.degrees(edge):.2f} deg; aperture radius {horn.radius * 1e3:.3f} mm, "
          f"slant length {horn.slant * 1e3:.3f} mm, {design.directivity_dbi:.2f} dBi (aperture model)")

    # 2. The corrugated horn as built.
    built = profile.generate(horn.radius, horn.slant, *BAND)
    lengths, radii = built.sections
    print(f"profile: {len(built)} sections, {len(built.slots)} slots, {built.length * 1e3:.2f} mm long")
    for warning in built.warnings:
        print(f"  warning: {warning}")

    # 3. Mode matching across the band, on every core, and the aperture model beside it.
    frequencies = np.linspace(*BAND, 42)
    sweep = modes.Solver(built).sweep(frequencies)
    metrics = sweep.feed_metrics(edge)
    worst = np.argmin(sweep.return_loss_db)
    print(f"mode matching, {sweep[0].modes} modes of each kind: return loss {sweep.return_loss_db.min():.1f} dB "
          f"at worst ({frequencies[worst] / 1e9:.2f} GHz); edge taper {metrics.edge_taper_db.min():.1f} "
          f"to {metrics.edge_taper_db.max():.1f} dB")

    # 4. The picture.
    figure = Figure(figsize=(12, 8.5), dpi=100, layout="constrained")
    grid = figure.add_gridspec(2, 3, height_ratios=(1, 1.3))
    draw_profile(figure.add_subplot(grid[0, 0]), built, lengths, radii)
    theta = np.radians(np.linspace(0.0, 90.0, 181))
    cuts = figure.add_subplot(grid[1, :])
    picked = [0, len(frequencies) // 2, len(frequencies) - 1]
    solutions = sweep.cuts(theta)
    for colour, k in zip(("tab:blue", "tab:green", "tab:red"), picked):
        f = frequencies[k]
        co = level_db(solutions.co45[k])
        cross = level_db(solutions.cross45[k])
        model = aperture.Model(horn, f).pattern(theta).level_db
        cuts.plot(np.degrees(theta), co, color=colour, label=f"{f / 1e9:.2f} GHz, mode matching (45°)")
        cuts.plot(np.degrees(theta), model, color=colour, linestyle="--", label=f"{f / 1e9:.2f} GHz, aperture model")
        cuts.plot(np.degrees(theta), cross, color=colour, linestyle=":", linewidth=1.0)
    cuts.axvline(np.degrees(edge), color="black", linewidth=0.8)
    cuts.axhline(-EDGE_TAPER, color="gray", linewidth=0.8)
    cuts.annotate("dish rim", (np.degrees(edge), -38), xytext=(4, 0), textcoords="offset points")
    cuts.set(xlim=(0, 90), ylim=(-40, 2), xlabel="θ (degrees)", ylabel="level (dB)",
             title="Pattern: co-polar (solid, dashed) and cross-polar (dotted)")
    cuts.grid(True, alpha=0.3)
    cuts.legend(fontsize=7, loc="lower left")
    loss = figure.add_subplot(grid[0, 1:])
    loss.plot(frequencies / 1e9, sweep.return_loss_db, color="tab:purple")
    loss.set(xlabel="frequency (GHz)", ylabel="return loss (dB)", title="Return loss")
    loss.invert_yaxis()
    loss.grid(True, alpha=0.3)
    figure.suptitle(f"Feed for an f/D = {F_OVER_D} dish: {EDGE_TAPER:g} dB edge taper at {CENTRE / 1e9:g} GHz "
                    f"(zavolt {zavolt.__version__})")
    figure.savefig(picture)
    print(f"picture: {picture}")


def draw_profile(axes, built, lengths, radii):
    """The half-section of the horn's inner wall, millimetres."""
    z = np.concatenate(([0.0], np.cumsum(lengths)))
    axes.stairs(radii * 1e3, z * 1e3, color="black", baseline=None)
    axes.stairs(-radii * 1e3, z * 1e3, color="black", baseline=None)
    axes.fill_between(z[1:] * 1e3, radii * 1e3, -radii * 1e3, step="pre", color="tab:orange", alpha=0.15)
    converter = [s for s in built.slots if s.converter]
    title = f"Profile: {len(built.slots)} slots, {len(converter)} of them the mode converter"
    axes.set(xlabel="z (mm)", ylabel="radius (mm)", title=title, aspect="equal")
    axes.grid(True, alpha=0.3)


def level_db(field):
    with np.errstate(divide="ignore"):
        return 20.0 * np.log10(np.abs(field))


if __name__ == "__main__":
    default = pathlib.Path(__file__).resolve().parents[1] / "doc" / "feed_for_reflector.png"
    main(sys.argv[1] if len(sys.argv) > 1 else default)
