"""zavolt.modes: one frequency and sweeps against the C++ solver on the same inputs, arrays of
cuts and metrics, and the sweep as a scikit-rf Network."""

import math

import numpy as np
import pytest

import zavolt
from zavolt import modes, profile

BAND = (10.7e9, 12.75e9)
HORN = profile.generate(0.015425, 0.047621, *BAND)
SOLVER = modes.Solver(HORN)
EDGE = 1.117


def test_solve_gives_the_cpp_numbers(reference):
    lengths, radii = HORN.sections
    sections = [x for pair in zip(lengths, radii) for x in pair]
    for f, theta in ((10.7e9, 0.3), (12e9, 0.9), (12.75e9, 1.4)):
        e = reference.one("modes.solve", f, theta, EDGE, len(HORN), *sections)
        s = SOLVER.solve(f)
        c = s.cuts(theta)
        m = s.feed_metrics(EDGE)
        got = [s.s11.real, s.s11.imag, s.return_loss_db, s.vswr, s.modes, s.power_check, s.directivity_dbi(),
               s.gain_dbi()]
        for z in (c.e_plane, c.h_plane, c.co45, c.cross45):
            got += [z.real, z.imag]
        got += [m.edge_taper_db, m.spillover_efficiency, m.taper_efficiency, m.feed_efficiency,
                m.polarisation_efficiency]
        assert got == e, f


def test_a_sweep_is_its_solutions_in_order():
    f = np.linspace(*BAND, 7)
    sweep = SOLVER.sweep(f, jobs=2)
    assert len(sweep) == 7 and np.array_equal(sweep.frequency, f)
    assert sweep.s11.dtype == np.complex128 and sweep.return_loss_db.shape == (7,)
    for k in (0, 3, 6):
        one = SOLVER.solve(f[k])
        assert sweep[k].s11 == one.s11 and sweep.s11[k] == one.s11 and sweep.modes[k] == one.modes
    assert sweep[-1].frequency == f[-1]
    with pytest.raises(IndexError):
        sweep[7]
    assert np.all(np.abs(sweep.power_check - 1.0) < 1e-9)  # lossless: the power is conserved
    assert np.allclose(sweep.return_loss_db, -20 * np.log10(np.abs(sweep.s11)))
    assert repr(sweep) == "Sweep(7 frequencies from 10700000000.0 to 12750000000.0 Hz)"


def test_sweep_arrays_have_the_frequency_first():
    f = np.linspace(*BAND, 3)
    sweep = SOLVER.sweep(f)
    theta = np.radians(np.linspace(0, 90, 10)).reshape(2, 5)
    cuts = sweep.cuts(theta)
    assert cuts.co45.shape == (3, 2, 5) and cuts.co45.dtype == np.complex128
    assert cuts.co45[1, 1, 2] == sweep[1].cuts(theta[1, 2]).co45
    assert cuts.co45[0, 0, 0] == pytest.approx(1.0)  # relative to the co-polar field on axis
    metrics = sweep.feed_metrics(EDGE)
    assert metrics.edge_taper_db.shape == (3,) and metrics.edge_taper_db[2] == sweep[2].feed_metrics(EDGE).edge_taper_db
    widths = sweep.beamwidth([3.0, 10.0], modes.Plane.e)
    assert widths.width.shape == (3, 2) and np.all(widths.width[:, 1] > widths.width[:, 0])
    assert sweep.cuts([]).co45.shape == (3, 0)
    assert sweep.directivity_dbi()[1] == sweep[1].directivity_dbi() and sweep.gain_dbi()[2] == sweep[2].gain_dbi()


def test_invalid_input_keeps_its_index():
    with pytest.raises(zavolt.InvalidInput) as caught:
        SOLVER.sweep([11e9, 12e9, math.nan])
    assert caught.value.index == (2,) and caught.value.quantity == zavolt.Quantity.frequency
    with pytest.raises(zavolt.InvalidInput) as caught:
        SOLVER.sweep([11e9, 1e9])  # TE11 below cut-off in the input guide
    assert caught.value.index == (1,) and "cut-off" in str(caught.value)
    with pytest.raises(zavolt.InvalidInput) as caught:
        SOLVER.solve(12e9).cuts([0.1, 2.0])
    assert caught.value.index == (1,) and caught.value.quantity == zavolt.Quantity.theta
    with pytest.raises(zavolt.InvalidInput) as caught:
        modes.Solver(HORN, modes=0)
    assert caught.value.quantity == zavolt.Quantity.mode_count


def test_options_and_convergence():
    coarse = modes.Solver(HORN, modes=8, convergence=True)
    s = coarse.solve(12e9)
    assert coarse.modes == 8 == s.modes and isinstance(s.convergence, modes.Convergence)
    assert s.convergence.modes > 8 and s.convergence.delta_s11 >= 0.0
    assert SOLVER.solve(12e9).convergence is None
    assert repr(coarse).startswith("Solver(modes=8, junctions=") and coarse.aperture_radius == HORN.radii[-1]
    march = modes.Solver(HORN, modes=8, cascade=modes.Cascade.reflection).solve(12e9)
    assert abs(march.s11 - s.s11) < 1e-9
    assert s.reflected[0].mode.kind == modes.Kind.te and s.reflected[0].mode.order == 1
    assert sum(p.power for p in s.reflected) + sum(p.power for p in s.transmitted) == pytest.approx(s.power_check)
    assert 0.0 < s.aperture_power(modes.Kind.te, 1) <= 1.0


def test_network_is_a_scikit_rf_one_port():
    skrf = pytest.importorskip("skrf")
    f = np.linspace(*BAND, 5)
    sweep = SOLVER.sweep(f)
    network = sweep.network("feed")
    assert isinstance(network, skrf.Network) and network.name == "feed"
    assert network.s.shape == (5, 1, 1) and np.array_equal(network.s[:, 0, 0], sweep.s11)
    assert np.array_equal(network.f, f)
    assert np.allclose(network.s_db[:, 0, 0], -sweep.return_loss_db)


def test_network_without_scikit_rf_says_what_it_needs(monkeypatch):
    import sys
    monkeypatch.setitem(sys.modules, "skrf", None)  # import skrf now raises ImportError
    with pytest.raises(ImportError, match="needs scikit-rf"):
        SOLVER.sweep([12e9]).network()


def test_mode_content_phase_centres_convergence_and_warnings_give_the_cpp_numbers(reference):
    lengths, radii = HORN.sections
    sections = [x for pair in zip(lengths, radii) for x in pair]
    fit = 0.6
    for f, count, check in ((10.7e9, 0, False), (12.75e9, 8, True)):
        e = reference.one("modes.details", f, fit, count, check, len(HORN), *sections)
        solver = modes.Solver(HORN, modes=count or None, convergence=check)
        s = solver.solve(f)
        w = s.warnings
        got = [s.input_modes, s.aperture_modes, w.aperture_below_wavelength, w.input_overmoded, w.not_converged]
        c = s.convergence
        assert (c is None) == (not check)
        got += [None] * 5 if c is None else [c.modes, c.delta_s11, c.delta_copol_db, c.delta_xpol_db, c.converged]
        got += [s.phase_centre(plane, fit) for plane in (modes.Plane.e, modes.Plane.h, modes.Plane.d45)]
        peak = s.xpol_peak()
        got += [peak.level_db, peak.theta]
        got += [s.beamwidth(10.0, plane).width for plane in (modes.Plane.e, modes.Plane.h, modes.Plane.d45)]
        for content in (s.reflected, s.transmitted):
            got.append(len(content))
            for p in content:
                got += [p.mode.kind == modes.Kind.tm, p.mode.order, p.mode.cutoff, p.mode.propagating,
                        p.amplitude.real, p.amplitude.imag, p.power]
        assert got == e, f
        # The sweep's phase centres are each solution's, NaN for None.
        sweep = solver.sweep([f, f], jobs=1)
        centres = sweep.phase_centre(modes.Plane.h, [fit, 0.3])
        assert centres.shape == (2, 2)
        expected = s.phase_centre(modes.Plane.h, fit)
        assert centres[1, 0] == expected or (expected is None and math.isnan(centres[1, 0]))
