"""generate: the dialogs' shapes, parameters, defaults and refusals."""
import warnings

import numpy as np
import pytest

import tidewright
from conftest import SAMPLE_INSTRUMENT


# The formulas are the C++ tests'; these rows prove each shape's keywords reach it.
@pytest.mark.parametrize("shape,count,parameters,points", [
    ("sine", 1000, dict(range=(0, 4095)), {0: 2048, 250: 4095, 500: 2048, 750: 0}),
    ("Sine", 1000, dict(range=(0, 4095), phase=90), {0: 4095}),
    ("square", 1000, dict(min=-50, max=50, cycl=2), {0: 50, 249: 50, 250: -50, 500: 50}),
    ("pulse", 100, dict(range=(0, 1000), delay=10, rise=0, high=40, fall=0),
     {10: 0, 11: 1000, 50: 1000, 51: 0}),
    ("exponent", 1000, dict(range=(0, 1000), tau=100, inv=True), {0: 1000, 999: 0}),
    ("ecg", 1000, {}, {225: 819, 468: 8191}),
    ("cardiac", 1000, dict(h2=0), {430: 0}),
])
def test_the_shapes_take_their_keywords(shape, count, parameters, points):
    w = tidewright.generate(shape, count, **parameters)
    assert {i: w[i] for i in points} == points


def test_defaults_are_the_sample_instruments_and_the_range():
    assert np.array_equal(tidewright.generate("sine", 1000),
                          tidewright.generate("sine", 1000, start=0, end=999, min=-8192,
                                              max=8191, cycl=1, phase=0, power=1))
    assert np.array_equal(tidewright.generate("pulse", 500),
                          tidewright.generate("pulse", 500, cycl="1", delay="10", rise="10",
                                              high="30", fall="10"))
    # A power of 0 is taken as 1, as the dialog stores it back.
    assert np.array_equal(tidewright.generate("sine", 1000, power=0),
                          tidewright.generate("sine", 1000))


def test_only_start_to_end_is_filled_and_noise_keeps_to_its_levels():
    w = tidewright.generate("sine", 300, start=100, end=199, min=-100, max=100, cycl=2)
    assert not w[:100].any() and not w[200:].any()
    assert (w[100], w[112], w[150]) == (0, 100, 0)
    w = tidewright.generate("dc", 10, start=2, end=5, level=-7.9)
    assert w.tolist() == [0, 0, -7, -7, -7, -7, 0, 0, 0, 0]
    w = tidewright.generate("noise", 1000, min=100, max=200)
    assert w.min() >= 100 and w.max() <= 200 and len(set(w.tolist())) > 50


# The texts are the C++ tests'; these rows cover a message box's caption, a field's name as the
# caption and a check across fields.
@pytest.mark.parametrize("shape,parameters,messages", [
    ("sine", dict(cycl=1000),
     [("Tidewright", "Parameter 5 value = 1000.00 \nRange: min= 0.00  max=500.00")]),
    ("dc", dict(level=1e6), [("Level", "Data 1000000.00 out of range.\nRange: [-8192.00,8190.00]")]),
    ("ecg", dict(w1=30), [("Setting conflict", "Cardiac component T0+W1 overlaps other fields")]),
])
def test_refusals_raise_the_dialogs_messages(shape, parameters, messages):
    with pytest.raises(tidewright.Error) as raised:
        tidewright.generate(shape, 1000, **parameters)
    assert raised.value.messages == messages


def test_a_rate_the_clock_cannot_meet_is_a_warning():
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        w = tidewright.generate("ecg", 10, rate=10)
    assert len(w) == 10
    assert len(caught) == 1 and issubclass(caught[0].category, tidewright.Warning)
    assert str(caught[0].message).startswith("Warning: The ratio of (wavelength * Rate / 60)")


def test_another_instruments_keys_and_defaults(tmp_path):
    with open(SAMPLE_INSTRUMENT) as f:
        text = f.read()
    text = text.replace("Keys=Cycl Phase Power", "Keys=Cycl Phase").replace(
        "Cycl=1 Cycles 0.001 0", "Cycl=3 Cycles 0.001 0")
    (tmp_path / "other.ini").write_text(text)
    other = tidewright.generate("sine", 600, instrument=tmp_path / "other.ini")
    assert np.array_equal(other, tidewright.generate("sine", 600, cycl=3))
    with pytest.raises(TypeError, match="its parameters are start, end, min, max, cycl, phase$"):
        tidewright.generate("sine", 600, instrument=tmp_path / "other.ini", power=2)
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
