"""zavolt.aperture against the C++ library on the same inputs: exact, since it is the same code."""

import math

import numpy as np
import pytest

import zavolt
from zavolt import aperture as ap

from conftest import agrees, same

SPHERICAL, QUADRATIC = ap.Phase.spherical, ap.Phase.quadratic
HORNS = [ap.Horn(0.074349, 0.184386), ap.Horn(0.1, 0.4, QUADRATIC), ap.Horn(0.0154, 0.0476),
         ap.Horn(0.05), ap.Horn(0.1, 0.1962, QUADRATIC),
         # a / L = 0.75: beyond the accuracy domain's flare.
         ap.Horn(0.03, 0.04)]
FREQUENCIES = [8e9, 10e9, 12.75e9]


def horn_arguments(horn):
    return (horn.radius, horn.slant, horn.phase == QUADRATIC)


def validity_fields(v):
    return [v.s_outside_0_to_1, v.flare_above_15_degrees, v.aperture_below_wavelength,
            v.flare_beyond_accuracy_domain]


def assert_same_fields(got, expected, context):
    assert len(got) == len(expected), context
    for g, e in zip(got, expected):
        assert same(g, e), (context, got, expected)


def test_geometry_and_directivity(reference):
    cases = [(h, f) for h in HORNS for f in FREQUENCIES]
    geometry = reference([("geometry", *horn_arguments(h), f) for h, f in cases])
    directivity = reference([("directivity", *horn_arguments(h), f) for h, f in cases])
    for (h, f), g_ref, d_ref in zip(cases, geometry, directivity):
        g = ap.geometry(h, f)
        assert_same_fields([g.wavelength, g.s, g.flare_half_angle, *validity_fields(g.validity)], g_ref, (h, f))
        d = ap.directivity(h, f)
        assert_same_fields([d.dbi, *validity_fields(d.validity)], d_ref, (h, f))
        model = ap.Model(h, f)
        assert model.directivity().dbi == d.dbi and model.geometry.s == g.s
        assert g.validity.any == any(validity_fields(g.validity))
        assert g.validity.flare_beyond_accuracy_domain == (h.radius / h.slant > ap.MOST_ACCURATE_FLARE)


def test_pattern_cut_as_an_array(reference):
    thetas = np.linspace(-0.5, 3.3, 39)
    for h in HORNS[:3]:
        model = ap.Model(h, 10e9)
        cut = model.pattern(thetas)
        expected = reference([("pattern", *horn_arguments(h), 10e9, t) for t in thetas])
        for k, e in enumerate(expected):
            got = [cut.theta[k], cut.field[k].real, cut.field[k].imag, cut.level_db[k], cut.phase[k]]
            assert_same_fields(got, e, (h, thetas[k]))
        assert np.array_equal(model.relative_field(thetas), cut.field)
        assert np.array_equal(ap.pattern(h, 10e9, thetas).field, cut.field)


def test_beamwidths_and_feed_metrics(reference):
    levels = [0.5, 3.0, 10.0, 12.0, 30.0, 80.0]
    edges = [0.1, 0.6, 1.117, 1.4]
    for h in HORNS:
        for f in FREQUENCIES:
            model = ap.Model(h, f)
            widths = model.beamwidth(levels)
            expected = reference([("beamwidth", *horn_arguments(h), f, x) for x in levels])
            for k, e in enumerate(expected):
                got = [widths.level_db[k], widths.width[k], widths.not_reached_within_90_degrees[k],
                       widths.maximum_off_axis[k], *[a[k] for a in validity_fields(widths.validity)]]
                # An empty width is NaN in the array.
                e = [math.nan if v is None else v for v in e]
                assert_same_fields(got, e, (h, f, levels[k]))
            metrics = model.feed_metrics(edges)
            expected = reference([("feed_metrics", *horn_arguments(h), f, t) for t in edges])
            for k, e in enumerate(expected):
                got = [metrics.edge_angle[k], metrics.edge_taper_db[k], metrics.spillover_efficiency[k],
                       metrics.taper_efficiency[k], metrics.feed_efficiency[k], metrics.phase_centre[k],
                       metrics.phase_centre_undefined[k], *[a[k] for a in validity_fields(metrics.validity)]]
                e = [math.nan if v is None else v for v in e]
                assert_same_fields(got, e, (h, f, edges[k]))


def test_scalar_results_match_the_one_call_forms(reference):
    h = HORNS[0]
    w = ap.beamwidth(h, 10e9, 10.0)
    e = reference.one("beamwidth", *horn_arguments(h), 10e9, 10.0)
    assert_same_fields([w.level_db, w.width, w.not_reached_within_90_degrees, w.maximum_off_axis,
                        *validity_fields(w.validity)], e, "beamwidth")
    assert type(w.width) is float and type(w.maximum_off_axis) is bool
    # Not reached within 90 degrees: None for a scalar, NaN in an array.
    small = ap.Horn(0.01)
    assert ap.beamwidth(small, 10e9, 30.0).width is None
    assert math.isnan(ap.beamwidth(small, 10e9, [30.0]).width[0])
    m = ap.feed_metrics(h, [10e9, 12e9], 1.117)
    for k, f in enumerate([10e9, 12e9]):
        e = reference.one("feed_metrics", *horn_arguments(h), f, 1.117)
        assert same(m.edge_taper_db[k], e[1]) and same(m.phase_centre[k], e[5])
    assert ap.Model(HORNS[1], 10e9).maximum_off_axis() is False


def test_designs(reference):
    edge = ap.edge_angle_from_f_over_d(0.4)
    (expected_edge,) = reference.one("edge_angle_from_f_over_d", 0.4)
    assert edge == expected_edge
    s = np.array([0.0, 0.1, 0.3, 0.5, 0.9, 1.5])
    for phase in (SPHERICAL, QUADRATIC):
        designs = ap.design_for_directivity(20.0, 10e9, s, phase)
        expected = reference([("design_for_directivity", 20.0, 10e9, x, phase == QUADRATIC) for x in s])
        tapers = ap.design_for_edge_taper(12.0, edge, 12e9, s, phase)
        expected_tapers = reference([("design_for_edge_taper", 12.0, edge, 12e9, x, phase == QUADRATIC) for x in s])
        for d, e_all in ((designs, expected), (tapers, expected_tapers)):
            assert d.phase == phase
            for k, e in enumerate(e_all):
                got = [d.s[k], d.radius[k], d.slant[k], d.directivity_dbi[k], d.edge_taper_db[k],
                       d.no_solution[k], *[a[k] for a in validity_fields(d.validity)],
                       d.pattern_directivity_dbi[k], d.maximum_off_axis[k]]
                for w in (d.beamwidth_3db, d.beamwidth_10db):
                    if d.no_solution[k]:
                        assert math.isnan(w.level_db[k]) and math.isnan(w.width[k])
                        got.append(math.nan)  # the helper's "-"
                    else:
                        got += [w.level_db[k], w.width[k], w.not_reached_within_90_degrees[k],
                                w.maximum_off_axis[k], *[a[k] for a in validity_fields(w.validity)]]
                got += [len(d.reason[k]), *[ord(c) for c in d.reason[k]]]
                e = [math.nan if v is None else v for v in e]
                assert_same_fields(got, e, (phase, s[k]))
    # One design of scalar arguments gives its Horn, ready for a Model.
    one = ap.design_for_edge_taper(12.0, edge, 12e9, 0.1)
    assert one.horn == ap.Horn(one.radius, one.slant, SPHERICAL)
    taper = ap.Model(one.horn, 12e9).feed_metrics(edge).edge_taper_db
    assert taper == pytest.approx(12.0, abs=1e-6)
    with pytest.raises(TypeError, match="arrays"):
        _ = ap.design_for_edge_taper(12.0, edge, 12e9, [0.1, 0.2]).horn


def test_design_without_a_solution(reference):
    # At S = 1 even the shortest spherical horn has about -2.8 dBi: -5 dBi would need L <= a.
    answer = reference.one("design_for_directivity", -5.0, 10e9, 1.0, False)
    d = agrees(answer, lambda: ap.design_for_directivity(-5.0, 10e9, 1.0))
    if d is not None:
        assert "".join(chr(int(c)) for c in answer[-len(d.reason):]) == d.reason
    if d is not None:
        assert d.no_solution and d.horn is None and d.radius is None and d.directivity_dbi is None
        assert d.beamwidth_3db is None and d.beamwidth_10db is None and d.pattern_directivity_dbi is None
        assert isinstance(d.reason, str) and d.reason
    # 3 dB at an 85 degree edge: the main beam of a horn without phase error never gets that wide.
    e = ap.design_for_edge_taper(3.0, math.radians(85.0), 10e9, [0.0, 0.0])
    assert e.no_solution.tolist() == [True, True] and np.isnan(e.radius).all() and np.isnan(e.edge_taper_db).all()
    assert e.reason.shape == (2,) and e.reason[0] == e.reason[1] == "the main beam never reaches the taper"
    assert ap.design_for_edge_taper(12.0, 1.0, 12e9, 0.1).reason == ""


def test_wavelength():
    assert ap.wavelength(10e9) == ap.SPEED_OF_LIGHT / 10e9
    assert np.array_equal(ap.wavelength([1e9, 2e9]), ap.SPEED_OF_LIGHT / np.array([1e9, 2e9]))


def test_horn_model_and_results_are_read_only_with_readable_reprs():
    h = ap.Horn(0.074349, 0.184386)
    assert repr(h) == "Horn(radius=0.074349, slant=0.184386, phase=Phase.spherical)"
    assert repr(ap.Horn(0.05)) == "Horn(radius=0.05, slant=inf, phase=Phase.spherical)"
    assert h == ap.Horn(0.074349, 0.184386) and h != ap.Horn(0.074349, 0.184386, QUADRATIC)
    assert len({h, ap.Horn(0.074349, 0.184386)}) == 1
    model = ap.Model(h, 10e9)
    assert repr(model) == "Model(Horn(radius=0.074349, slant=0.184386, phase=Phase.spherical), frequency=10000000000.0)"
    d = model.directivity()
    assert repr(d) == (f"Directivity(dbi={d.dbi!r}, validity=Validity(s_outside_0_to_1=False, "
                       "flare_above_15_degrees=False, aperture_below_wavelength=False, "
                       "flare_beyond_accuracy_domain=False, any=False))")
    for obj, name in ((h, "radius"), (model, "frequency"), (d, "dbi"), (d.validity, "any"),
                      (model.pattern(0.1), "field"), (model.beamwidth(3.0), "width"),
                      (model.feed_metrics(1.0), "phase_centre"), (model.geometry, "s"),
                      (ap.design_for_directivity(20.0, 10e9, 0.3), "reason"), (ap.sweep(h, 10e9), "feed"),
                      (ap.estimated_work(h, 10e9), "model")):
        with pytest.raises(AttributeError):
            setattr(obj, name, 0.0)


def test_pattern_directivity_and_estimated_work(reference):
    cases = [(h, f) for h in HORNS for f in FREQUENCIES]
    expected = reference([("pattern_directivity_dbi", *horn_arguments(h), f) for h, f in cases])
    work = reference([("estimated_work", *horn_arguments(h), f) for h, f in cases])
    for (h, f), (e,), w in zip(cases, expected, work):
        assert same(ap.Model(h, f).pattern_directivity_dbi(), e), (h, f)
        got = ap.estimated_work(h, f)
        assert_same_fields([got.model, got.per_level, got.per_angle, got.feed_metrics], w, (h, f))
    for h in HORNS:
        arrays = ap.pattern_directivity_dbi(h, np.array([FREQUENCIES, FREQUENCIES]))
        assert arrays.shape == (2, 3)
        assert [same(arrays[1, k], ap.Model(h, f).pattern_directivity_dbi()) for k, f in enumerate(FREQUENCIES)] == [True] * 3
        assert ap.estimated_work(h, FREQUENCIES).per_level.shape == (3,)
    # The horn is checked as Model checks it; an invalid frequency element is named by its index.
    answer = reference.one("estimated_work", 0.074349, 0.05, False, 10e9)
    agrees(answer, lambda: ap.estimated_work(ap.Horn(0.074349, 0.05), 10e9))
    with pytest.raises(zavolt.InvalidInput) as caught:
        ap.pattern_directivity_dbi(HORNS[0], [10e9, -1.0])
    assert caught.value.index == (1,)


def sweep_rows(answer, levels, edge):
    """The helper's sweep answer split into one row per frequency."""
    width = 14 + len(levels) * 8 + (11 if edge is not None else 0)
    assert len(answer) % width == 0
    return [answer[i:i + width] for i in range(0, len(answer), width)]


def test_sweep(reference):
    levels = [3.0, 10.0, 25.0]
    frequencies = [8e9, 9.5e9, 11e9, 12.75e9]
    for h in HORNS:
        for edge in (None, 1.117):
            request = ("sweep", *horn_arguments(h), math.nan if edge is None else edge,
                       len(frequencies), *frequencies, len(levels), *levels)
            rows = sweep_rows(reference.one(*request), levels, edge)
            got = ap.sweep(h, frequencies, levels, edge)
            assert got.beamwidth.width.shape == (4, 3) and got.frequency.shape == (4,)
            assert (got.feed is None) == (edge is None)
            for k, e in enumerate(rows):
                fields = [got.frequency[k], got.geometry.wavelength[k], got.geometry.s[k],
                          got.geometry.flare_half_angle[k], *[a[k] for a in validity_fields(got.geometry.validity)],
                          got.directivity.dbi[k], *[a[k] for a in validity_fields(got.directivity.validity)],
                          got.pattern_directivity_dbi[k]]
                w = got.beamwidth
                for j in range(len(levels)):
                    fields += [w.level_db[k, j], w.width[k, j], w.not_reached_within_90_degrees[k, j],
                               w.maximum_off_axis[k, j], *[a[k, j] for a in validity_fields(w.validity)]]
                if edge is not None:
                    m = got.feed
                    fields += [m.edge_angle[k], m.edge_taper_db[k], m.spillover_efficiency[k], m.taper_efficiency[k],
                               m.feed_efficiency[k], m.phase_centre[k], m.phase_centre_undefined[k],
                               *[a[k] for a in validity_fields(m.validity)]]
                e = [math.nan if v is None else v for v in e]
                assert_same_fields(fields, e, (h, edge, frequencies[k]))
    # Scalars give scalars; the default levels are 3 and 10 dB; a frequency grid keeps its shape.
    one = ap.sweep(HORNS[0], 10e9)
    assert type(one.frequency) is float and one.beamwidth.level_db.tolist() == [3.0, 10.0]
    assert ap.sweep(HORNS[0], 10e9, 3.0).beamwidth.width == ap.Model(HORNS[0], 10e9).beamwidth(3.0).width
    grid = ap.sweep(HORNS[0], [[8e9, 9e9], [10e9, 11e9]], [3.0, 10.0, 20.0], 0.5)
    assert grid.beamwidth.width.shape == (2, 2, 3) and grid.feed.edge_taper_db.shape == (2, 2)
    assert ap.sweep(HORNS[0], [], [3.0]).beamwidth.width.shape == (0, 1)
    # The C++ sweep checks whole spans: the rejected element is found by its value.
    with pytest.raises(zavolt.InvalidInput) as caught:
        ap.sweep(HORNS[0], [8e9, 9e9, math.nan], [3.0])
    assert caught.value.index == (2,)
    with pytest.raises(zavolt.InvalidInput) as caught:
        ap.sweep(HORNS[0], [8e9], [3.0, 0.0])
    assert caught.value.index == (1,)
    with pytest.raises(zavolt.InvalidInput):
        ap.sweep(HORNS[0], [8e9], [3.0], 2.0)
