"""generate: the dialogs' shapes, parameters, defaults and refusals."""
import warnings

import numpy as np
import pytest

import tidewright
from conftest import instrument


# The formulas are the C++ tests'; these rows prove each kind of dialog's keywords reach it: a
# shape's own keys, a check box, the DC level and the heartbeat's fields; the common fields are
# the defaults test's.
@pytest.mark.parametrize("shape,count,parameters,points", [
    ("Sine", 1000, dict(range=(0, 4095), phase=90), {0: 4095}),
    ("pulse", 100, dict(range=(0, 1000), delay=10, rise=0, high=40, fall=0),
     {10: 0, 11: 1000, 50: 1000, 51: 0}),
    ("exponent", 1000, dict(range=(0, 1000), tau=100, inv=True), {0: 1000, 999: 0}),
    ("dc", 10, dict(start=2, end=5, level=-7.9), {1: 0, 2: -7, 5: -7, 6: 0}),
    ("cardiac", 1000, dict(h2=0), {430: 0, 468: 8191}),
])
def test_the_shapes_take_their_keywords(shape, count, parameters, points):
    w = tidewright.generate(shape, count, **parameters)
    assert {i: w[i] for i in points} == points


def test_defaults_are_the_sample_instruments_and_the_range():
    # A number's text is a number too.
    assert np.array_equal(tidewright.generate("sine", 1000),
                          tidewright.generate("sine", 1000, start=0, end="999", min=-8192,
                                              max=8191, cycl="1", phase=0, power=1))


# The texts are the C++ tests'; a field's name reaches Python as the caption.
def test_refusals_raise_the_dialogs_messages():
    with pytest.raises(tidewright.Error) as raised:
        tidewright.generate("dc", 1000, level=1e6)
    assert raised.value.messages == [
        ("Level", "Data 1000000.00 out of range.\nRange: [-8192.00,8190.00]")]


def test_a_rate_the_clock_cannot_meet_is_a_warning():
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        w = tidewright.generate("ecg", 10, rate=10)
    assert len(w) == 10
    assert len(caught) == 1 and issubclass(caught[0].category, tidewright.Warning)
    assert str(caught[0].message).startswith("Warning: The ratio of (wavelength * Rate / 60)")


def test_another_instruments_keys_and_defaults(tmp_path):
    other_ini = instrument(tmp_path, [("Keys=Cycl Phase Power", "Keys=Cycl Phase"),
                                      ("Cycl=1 Cycles 0.001 0", "Cycl=3 Cycles 0.001 0")])
    other = tidewright.generate("sine", 600, instrument=other_ini)
    assert np.array_equal(other, tidewright.generate("sine", 600, cycl=3))
    with pytest.raises(TypeError, match="its parameters are start, end, min, max, cycl, phase$"):
        tidewright.generate("sine", 600, instrument=other_ini, power=2)
    with pytest.raises(tidewright.Error, match="missing.ini"):
        tidewright.generate("sine", 600, instrument=tmp_path / "missing.ini")


def test_unknown_shapes_and_parameters_are_python_errors():
    with pytest.raises(ValueError, match="unknown shape 'saw'; the shapes are sine, triangle"):
        tidewright.generate("saw", 100)
    with pytest.raises(TypeError, match="generate\\('dc'\\) has no parameter 'cycl'"):
        tidewright.generate("dc", 100, cycl=2)
    with pytest.raises(TypeError):
        tidewright.generate("sine", 100, cycl=[1])
    with pytest.raises(ValueError, match="points"):
        tidewright.generate("sine", 0)
