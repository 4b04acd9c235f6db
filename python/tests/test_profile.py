"""zavolt.profile: sections as NumPy arrays and back, the generator and the CSV forms, against the
C++ library on the same inputs."""

import io
import math

import numpy as np
import pytest

import zavolt
from zavolt import profile

BAND = (10.7e9, 12.75e9)
HORN = (0.015425, 0.047621)


def test_generate_gives_the_cpp_sections(reference):
    for radius, slant, f_min, f_max in [(*HORN, *BAND), (0.0744, 0.1844, 9e9, 11e9), (0.05, 0.3, 10e9, 10e9)]:
        expected = reference.one("profile.generate", radius, slant, f_min, f_max)
        p = profile.generate(radius, slant, f_min, f_max)
        n = int(expected[0])
        assert len(p) == n
        assert np.array_equal(p.lengths, expected[1::2]) and np.array_equal(p.radii, expected[2::2])
    one = profile.generate(0.05, 0.3, 10e9)
    assert one.parameters.band == (10e9, 10e9)


def test_a_generated_profile_carries_its_rules_slots_and_warnings():
    p = profile.generate(*HORN, *BAND)
    params = p.parameters
    assert params.band == BAND and params.law == profile.Law.linear and params.slot_count == len(p.slots) > 0
    assert params.pitch == pytest.approx(params.lambda_c / 8)
    assert math.isclose(p.length, params.total_length, rel_tol=1e-12)
    converter = [s for s in p.slots if s.converter]
    assert len(converter) == params.converter_slots == 5
    slot = p.slots[0]
    assert slot.depth == slot.slot_radius - slot.ridge_radius > 0
    assert p.radii[slot.section] == slot.slot_radius and p.radii[slot.section + 1] == slot.ridge_radius
    assert all(isinstance(w.kind, profile.WarningKind) for w in p.warnings)
    assert repr(p).startswith(f"Profile(sections={len(p)}, length=")
    sine = profile.generate(*HORN, *BAND, law=profile.Law.sine, flare_length=0.06, law_a=0.5)
    assert sine.parameters.law == profile.Law.sine and sine.parameters.law_a == 0.5
    assert any(w.kind == profile.WarningKind.not_the_design_cone for w in sine.warnings)


def test_sections_as_two_arrays_and_back():
    p = profile.generate(*HORN, *BAND)
    lengths, radii = p.sections
    assert lengths.dtype == radii.dtype == np.float64 and lengths.shape == radii.shape == (len(p),)
    with pytest.raises(ValueError):
        lengths[0] = 1.0  # read-only views of an immutable profile
    back = profile.Profile(lengths, radii)
    assert np.array_equal(back.lengths, lengths) and np.array_equal(back.radii, radii)
    assert back.parameters is None and back.slots == [] and back.warnings == []
    assert profile.Profile([0.01, 0.02], [0.005, 0.008]).length == 0.03
    # Lists, integers, broadcasting: two one-dimensional arrays of one length in the end.
    assert np.array_equal(profile.Profile([1, 2], 3).radii, [3.0, 3.0])
    with pytest.raises(ValueError, match="one-dimensional"):
        profile.Profile([[0.01]], [[0.005]])


@pytest.mark.parametrize("lengths, radii, quantity, index", [
    ([0.01, 0.02, 0.0], [0.005, 0.006, 0.007], zavolt.Quantity.section_length, (2,)),
    ([0.01, 0.02, 0.03], [0.005, math.nan, 0.007], zavolt.Quantity.section_radius, (1,)),
    ([0.01, math.inf], [0.005, 0.006], zavolt.Quantity.section_length, (1,)),
])
def test_an_invalid_section_raises_with_its_index(lengths, radii, quantity, index):
    with pytest.raises(zavolt.InvalidInput) as caught:
        profile.Profile(lengths, radii)
    assert caught.value.quantity == quantity and caught.value.index == index
    assert str(caught.value).endswith(f"(at index {index[0]})")
    with pytest.raises(zavolt.InvalidInput):
        profile.Profile([], [])  # a profile has a section


def test_csv_round_trip_and_the_cpp_reader(reference, tmp_path):
    p = profile.generate(*HORN, *BAND)
    text = p.write_csv("m")
    assert text.splitlines()[0] == "length_m,radius_m"
    back = profile.read_csv_text(text)
    assert np.array_equal(back.lengths, p.lengths) and np.array_equal(back.radii, p.radii)
    path = tmp_path / "horn.csv"
    path.write_text(p.write_csv("mm"))
    from_path = profile.read_csv(path)
    from_file = profile.read_csv(io.StringIO(path.read_text()))
    assert np.array_equal(from_path.radii, from_file.radii)
    expected = reference.one("profile.read_csv", str(path))
    assert np.array_equal(from_path.lengths, expected[1::2]) and np.array_equal(from_path.radii, expected[2::2])
    # Wall points: a level 10 mm, a step, then 20 mm sloping, cut into steps of at most 1 mm.
    walls = profile.read_csv_text("z_mm,radius_mm\n0,5\n10,5\n10,8\n30,12\n", step_length=1e-3)
    assert walls.lengths[0] == pytest.approx(0.010) and walls.radii[-1] < 0.012 and len(walls) == 1 + 20


def test_an_unreadable_csv_names_its_line():
    with pytest.raises(profile.CsvError) as caught:
        profile.read_csv_text("length_mm,radius_mm\n1,2\n1,x\n")
    e = caught.value
    assert isinstance(e, ValueError) and e.line == 3 and str(e).startswith("line 3: ") and e.reason
    with pytest.raises(profile.CsvError):
        profile.read_csv_text("")
    with pytest.raises(ValueError, match="unit must be"):
        profile.generate(*HORN, *BAND).write_csv("furlong")


def test_generator_input_is_checked():
    with pytest.raises(zavolt.InvalidInput) as caught:
        profile.generate(-0.01, 0.05, *BAND)
    assert caught.value.quantity == zavolt.Quantity.radius and caught.value.index is None
    with pytest.raises(zavolt.InvalidInput) as caught:
        profile.generate(*HORN, 10e9, 30e9)
    assert caught.value.quantity == zavolt.Quantity.band
    with pytest.raises(zavolt.InvalidInput) as caught:
        profile.generate(*HORN, *BAND, slot_ratio=1.5)
    assert caught.value.quantity == zavolt.Quantity.slot_ratio
