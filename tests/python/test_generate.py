"""generate: the dialogs' shapes, parameters, defaults and refusals."""
import warnings

import numpy as np
import pytest

import tidewright
from conftest import SAMPLE_INSTRUMENT


def test_the_shapes_make_what_the_formulas_give():
    w = tidewright.generate("sine", 1000, range=(0, 4095))
    assert (w[0], w[250], w[500], w[750]) == (2048, 4095, 2048, 0)
    assert tidewright.generate("Sine", 1000, range=(0, 4095), phase=90)[0] == 4095
    w = tidewright.generate("triangle", 1000, range=(0, 4095))
    assert (w[0], w[125], w[250], w[750], w[999]) == (2047, 3071, 4095, 0, 2039)
    w = tidewright.generate("square", 1000, min=-50, max=50, cycl=2)
    assert (w[0], w[249], w[250], w[500]) == (50, 50, -50, 50)
    w = tidewright.generate("pulse", 100, range=(0, 1000), delay=10, rise=0, high=40, fall=0)
    assert (w[10], w[11], w[50], w[51]) == (0, 1000, 1000, 0)
    w = tidewright.generate("exponent", 1000, range=(0, 1000), tau=100, inv=True)
    assert (w[0], w[999]) == (1000, 0)
    w = tidewright.generate("sinc", 1000, range=(-1000, 1000))
    assert (w[0], w[500], w[550], w[600]) == (0, 1000, 636, 0)
    w = tidewright.generate("gaussian", 1000, range=(0, 1000))
    assert (w[0], w[500], w[600]) == (0, 1000, 367)
    w = tidewright.generate("noise", 1000, min=100, max=200)
    assert w.min() >= 100 and w.max() <= 200 and len(set(w.tolist())) > 50


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


def test_only_start_to_end_is_filled():
    w = tidewright.generate("sine", 300, start=100, end=199, min=-100, max=100, cycl=2)
    assert not w[:100].any() and not w[200:].any()
    assert (w[100], w[112], w[150]) == (0, 100, 0)
    w = tidewright.generate("dc", 10, start=2, end=5, level=-7.9)
    assert w.tolist() == [0, 0, -7, -7, -7, -7, 0, 0, 0, 0]


def test_the_ecg_places_its_waves_and_the_peak_of_r():
    w = tidewright.generate("ecg", 1000)
    inside = np.zeros(1000, dtype=bool)
    for first, last in ((150, 299), (400, 549), (600, 849)):
        inside[first:last + 1] = True
    assert not w[~inside].any()
    assert (w[225], w[725], w[429], w[430], w[468], w[505], w[549]) == (
        819, 1638, -776, -819, 8191, -1778, -1)
    assert tidewright.generate("cardiac", 1000, h2=0)[430] == 0


@pytest.mark.parametrize("shape,parameters,messages", [
    ("sine", dict(cycl=1000),
     [("Tidewright", "Parameter 5 value = 1000.00 \nRange: min= 0.00  max=500.00")]),
    ("sine", dict(min=5000, max=-5), [("Tidewright", "Invalid Min/Max values.")]),
    ("square", dict(start=999), [("Tidewright", "Invalid Min/Max values.")]),
    ("dc", dict(level=1e6), [("Level", "Data 1000000.00 out of range.\nRange: [-8192.00,8190.00]")]),
    ("dc", dict(start=5, end=2), [("Error", "Start must beequalor  less than End")]),
    ("ecg", dict(h1=2), [("H1", "Data 2.00 out of range.\nRange: [-1.00,1.00]")]),
    ("ecg", dict(w1=60, w2=30, w3=30), [("W1+W2+W3<=100%", "Cardiac components are out of range")]),
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
