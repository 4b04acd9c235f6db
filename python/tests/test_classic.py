"""zavolt.classic against the C++ routines: the same binary32 values, bit for bit."""

import math
import struct

import pytest

import zavolt
from zavolt import classic

from conftest import agrees, same

FREQUENCIES = [1.0, 8.0, 10.0, 12.0, 12.73, 30.0]
HORNS = [(3.937008, 15.748031), (2.0, 8.0), (0.5, math.inf), (7.87, 15.75), (3.937, 1.9685), (0.3, 40.0)]


def binary32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


def test_analysis_bit_for_bit(reference):
    cases = [(f, a, l) for f in FREQUENCIES for a, l in HORNS]
    # A horn the library refuses (too small for its wavelength, say) is refused alike.
    for name in ("gain_ratio", "gain_db", "phase_deviation"):
        answers = reference([("classic." + name, *case) for case in cases])
        for case, answer in zip(cases, answers):
            got = agrees(answer, lambda: getattr(classic, name)(*case))
            if got is not None:
                assert type(got) is float
                assert same(got, answer[0]), (name, case)
                assert got == binary32(got)  # a binary32 value, exactly
    answers = reference([("classic.beamwidths", *case) for case in cases])
    nones = 0
    for case, answer in zip(cases, answers):
        got = agrees(answer, lambda: classic.beamwidths(*case))
        if got is not None:
            assert same(got.bw3, answer[0]) and same(got.bw10, answer[1]), case
            nones += got.bw3 is None
    assert nones > 0  # the 0.3 in aperture at 10 GHz: too small for its 3 dB point


def test_design_bit_for_bit(reference):
    cases = [(f, g, s) for f in (8.0, 10.0, 12.0) for g in (15.0, 20.0, 25.5) for s in (0.0, -0.0, 0.1, 0.5, 1.0, 1.3)]
    for case, answer in zip(cases, reference([("classic.design", *c) for c in cases])):
        got = agrees(answer, lambda: classic.design(*case))
        if got is not None:
            assert same(got.radius, answer[0]) and same(got.slant, answer[1]), case
    # S = -0 is the horn without phase error, as the C++ routine has it.
    assert classic.design(10.0, 20.0, -0.0).slant == math.inf


def test_inputs_round_to_binary32_as_the_helper_does(reference):
    # 10.000000001 is not a binary32 number: both sides see float(10.000000001) = 10.
    (expected,) = reference.one("classic.gain_db", 10.000000001, 3.937, 15.75)
    assert classic.gain_db(10.000000001, 3.937, 15.75) == expected == classic.gain_db(10.0, 3.937, 15.75)


def test_conversions_and_sweep_points(reference):
    values = [0.0, -0.0, 1.0, 2.54, 10.0, 1e-30, 3e38, math.inf]
    for name in ("inches_from_centimetres", "centimetres_from_inches"):
        for v, (expected,) in zip(values, reference([("classic." + name, v) for v in values])):
            assert same(getattr(classic, name)(v), expected), (name, v)
    points = [(i, 0.1, 0.1) for i in (1, 2, 3, 10, 11)] + [(2_000_000_000, 0.0, 0.5)]
    for p, (expected,) in zip(points, reference([("classic.sweep_point", *p) for p in points])):
        assert same(classic.sweep_point(*p), expected), p
    assert classic.DB_FACTOR == binary32(4.34294) and classic.CENTIMETRES_PER_INCH == binary32(2.54)


@pytest.mark.parametrize("arguments", [(0.0, 3.937, 15.75), (10.0, -1.0, 15.75), (10.0, 3.937, math.nan),
                                       (math.inf, 3.937, 15.75), (10.0, 3.937, -2.0)])
def test_invalid_input_carries_the_cpp_message(reference, arguments):
    _, quantity, value, message = reference.one("classic.gain_db", *arguments)
    with pytest.raises(zavolt.InvalidInput) as caught:
        classic.gain_db(*arguments)
    assert str(caught.value) == message
    assert int(caught.value.quantity) == quantity and same(caught.value.value, value)
    assert caught.value.index is None


def test_results_are_read_only_with_a_readable_repr():
    d = classic.design(10.0, 20.0, 0.1)
    assert repr(d) == f"Design(radius={d.radius!r}, slant={d.slant!r})"
    with pytest.raises(AttributeError):
        d.radius = 1.0
    b = classic.beamwidths(10.0, 0.3, math.inf)  # an aperture too small for either level
    assert repr(b) == "Beamwidths(bw3=None, bw10=None)"
