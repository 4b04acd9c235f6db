"""Arrays in, arrays out: shapes, dtypes, broadcasting, empty arrays, NaN and infinity."""

import math

import numpy as np
import pytest

import zavolt
from zavolt import aperture as ap

HORN = ap.Horn(0.074349, 0.184386)
MODEL = ap.Model(HORN, 10e9)


def test_any_shape_in_gives_that_shape_out_with_fixed_dtypes():
    theta = np.linspace(0.0, 1.5, 24).reshape(2, 3, 4)
    cut = MODEL.pattern(theta)
    assert cut.field.shape == cut.level_db.shape == cut.phase.shape == cut.theta.shape == (2, 3, 4)
    assert cut.field.dtype == np.complex128 and cut.level_db.dtype == np.float64
    # Element for element what the scalar call gives.
    assert cut.field[1, 2, 3] == MODEL.pattern(theta[1, 2, 3]).field
    assert cut.level_db[0, 1, 2] == MODEL.pattern(float(theta[0, 1, 2])).level_db
    widths = MODEL.beamwidth(np.array([[3.0], [10.0]]))
    assert widths.width.shape == (2, 1) and widths.maximum_off_axis.dtype == np.bool_
    assert widths.validity.any.shape == (2, 1) and widths.validity.any.dtype == np.bool_
    metrics = ap.feed_metrics(HORN, np.array([10e9, 11e9, 12e9]), 1.117)
    assert metrics.phase_centre.shape == (3,) and metrics.phase_centre_undefined.dtype == np.bool_


def test_scalars_give_python_scalars():
    p = MODEL.pattern(0.2)
    assert type(p.field) is complex and type(p.level_db) is float and type(p.theta) is float
    assert type(ap.directivity(HORN, 10e9).dbi) is float
    assert type(ap.directivity(HORN, np.float32(10e9)).dbi) is float
    assert type(ap.directivity(HORN, 10_000_000_000).validity.any) is bool
    # A 0-d array is a scalar too, as NumPy's own functions have it.
    assert type(MODEL.pattern(np.array(0.2)).field) is complex


def test_sequences_integers_and_non_contiguous_arrays_are_taken_as_float64():
    assert np.array_equal(MODEL.pattern([0, 1]).field, MODEL.pattern(np.array([0.0, 1.0])).field)
    assert np.array_equal(MODEL.beamwidth(np.array([3, 10])).width, MODEL.beamwidth([3.0, 10.0]).width)
    theta = np.linspace(0.0, 1.0, 12).reshape(3, 4)
    assert np.array_equal(MODEL.pattern(theta.T).field, MODEL.pattern(np.ascontiguousarray(theta.T)).field)
    assert np.array_equal(MODEL.pattern(theta[:, ::2]).field, MODEL.pattern(theta[:, ::2].copy()).field)
    as32 = theta.astype(np.float32)
    assert np.array_equal(MODEL.pattern(as32).field, MODEL.pattern(as32.astype(np.float64)).field)


def test_broadcasting_follows_numpy():
    f = np.array([10e9, 11e9, 12e9])[:, None]
    theta = np.linspace(0.0, 1.0, 5)
    cut = ap.pattern(HORN, f, theta)
    assert cut.field.shape == (3, 5)
    for i in range(3):
        assert np.array_equal(cut.field[i], ap.Model(HORN, f[i, 0]).pattern(theta).field)
    # The same frequency broadcast down a column: one model per element, the same numbers.
    down = ap.pattern(HORN, np.array([10e9, 12e9, 10e9]), np.array([[0.3], [0.6]]))
    assert down.field.shape == (2, 3) and down.field[1, 2] == MODEL.pattern(0.6).field
    d = ap.design_for_edge_taper(np.array([10.0, 12.0])[:, None], 1.117, 12e9, [0.1, 0.2, 0.3])
    assert d.radius.shape == (2, 3) and d.validity.s_outside_0_to_1.shape == (2, 3)
    with pytest.raises(ValueError, match="broadcast"):
        ap.pattern(HORN, [10e9, 11e9], [0.1, 0.2, 0.3])


def test_empty_arrays_keep_their_shape():
    for empty in (np.array([]), np.zeros((0, 3)), []):
        cut = MODEL.pattern(empty)
        assert cut.field.shape == np.shape(empty) and cut.field.dtype == np.complex128
        assert MODEL.beamwidth(empty).width.shape == np.shape(empty)
        assert MODEL.feed_metrics(empty).edge_taper_db.shape == np.shape(empty)
        assert ap.directivity(HORN, empty).dbi.shape == np.shape(empty)
        assert ap.design_for_directivity(20.0, 10e9, empty).radius.shape == np.shape(empty)


@pytest.mark.parametrize("bad", [math.nan, math.inf, -math.inf])
def test_an_invalid_element_raises_with_its_index(bad):
    theta = np.zeros((2, 3))
    theta[1, 2] = bad
    with pytest.raises(zavolt.InvalidInput) as caught:
        MODEL.pattern(theta)
    e = caught.value
    assert e.index == (1, 2) and e.quantity == zavolt.Quantity.theta
    assert str(e).endswith(" (at index (1, 2))")
    assert math.isnan(e.value) if math.isnan(bad) else e.value == bad
    # The message otherwise is the scalar call's.
    with pytest.raises(zavolt.InvalidInput) as scalar:
        MODEL.pattern(bad)
    assert str(e) == str(scalar.value) + " (at index (1, 2))" and scalar.value.index is None


def test_each_array_argument_reports_its_element():
    # The levels are checked together in one C++ call: the index is still the rejected element's.
    with pytest.raises(zavolt.InvalidInput, match=r"^level must .*, got -1 \(at index 2\)$") as c:
        MODEL.beamwidth([3.0, 10.0, -1.0, 0.0])
    assert c.value.index == (2,)
    with pytest.raises(zavolt.InvalidInput) as c:
        MODEL.beamwidth([3.0, math.nan])
    assert c.value.index == (1,) and math.isnan(c.value.value)
    with pytest.raises(zavolt.InvalidInput) as c:
        ap.directivity(HORN, [10e9, 0.0, -1.0])
    assert c.value.index == (1,) and c.value.quantity == zavolt.Quantity.frequency
    with pytest.raises(zavolt.InvalidInput) as c:
        MODEL.feed_metrics([[1.0, 1.2], [math.pi / 2, 1.0]])
    assert c.value.index == (1, 0) and c.value.quantity == zavolt.Quantity.edge_angle
    with pytest.raises(zavolt.InvalidInput) as c:
        ap.design_for_edge_taper(12.0, 1.117, 12e9, [0.1, math.inf])
    assert c.value.index == (1,) and c.value.quantity == zavolt.Quantity.phase_deviation
    with pytest.raises(zavolt.InvalidInput) as c:
        ap.edge_angle_from_f_over_d(np.array([[0.4, 0.25]]))
    assert c.value.index == (0, 1) and c.value.quantity == zavolt.Quantity.f_over_d


def test_an_error_of_what_every_element_shares_has_no_index():
    # The horn is one argument for all the frequencies: its radius is not an element of the array.
    with pytest.raises(zavolt.InvalidInput) as c:
        ap.directivity(ap.Horn(-0.003), [10e9, 11e9])
    assert c.value.index is None and str(c.value) == "aperture radius must be positive and finite, got -0.003"
    with pytest.raises(zavolt.InvalidInput) as c:
        ap.pattern(ap.Horn(0.05, 0.04), [10e9, 11e9], 0.1)  # spherical phase: slant not above the radius
    assert c.value.index is None and c.value.quantity == zavolt.Quantity.slant


def test_non_real_arguments_are_type_errors():
    with pytest.raises(TypeError, match="theta must be a real number"):
        MODEL.pattern(np.array([0.1 + 1j]))
    with pytest.raises(TypeError, match="frequency must be a real number"):
        ap.directivity(HORN, "10e9")
    with pytest.raises(TypeError):
        ap.Model(HORN, [10e9])  # a model is at one frequency
