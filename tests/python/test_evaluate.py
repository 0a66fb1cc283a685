"""evaluate's values as the command-line tool's eval gives them, and the program's messages as
exceptions."""
import os
import shutil
import warnings

import numpy as np
import pytest

import tidewright
from conftest import RECORDED, WAVES

BENCH_FORMULA = "amp*sin(omg*p)+0.25*amp*cos(3*omg*p)"
TOOL_VALUES = np.load(os.path.join(RECORDED, "evaluate.npz"))  # tidewright-cli eval's

# The engine's values are the C++ tests'; these rows cover how the binding passes points, a
# whole or fractional range and the stretch.
@pytest.mark.parametrize("name,formula,points,lo,hi,scale", [
    ("bench", BENCH_FORMULA, 4096, -8192, 8191, False),
    ("ramp", "p", 11, 0, 100, True),
    ("tan_log", "amp*tan(f*p)+per*log(p+1)|3", 500, -5.5, 1000.25, False),
    ("abs_sine", "abs(sin(omg*p))^3*e*pi", 999, -1, 1, True),
])
def test_values_are_the_tools_byte_for_byte(name, formula, points, lo, hi, scale):
    expected = TOOL_VALUES[name]
    got = tidewright.evaluate(formula, points, range=(lo, hi), scale=scale)
    assert got.dtype == np.int16 and got.shape == (points,)
    assert got.tobytes() == expected.tobytes()


def test_wave_operands_are_read_relative_to_the_working_folder(tmp_path, monkeypatch):
    # A relative name holds no function name ("sine" would read as sin and e).
    shutil.copy(os.path.join(WAVES, "sine.wav"), tmp_path / "wave.wav")
    expected = TOOL_VALUES["wave_operand"]
    monkeypatch.chdir(tmp_path)
    assert np.array_equal(tidewright.evaluate("wave.wav*0.5+p", 1000), expected)
    assert np.array_equal(tidewright.evaluate("WAVE.WAV*0.5+p", 1000), expected)
    with pytest.raises(tidewright.Error) as raised:
        tidewright.evaluate("wave.wav", 1001)
    assert str(raised.value) == "a wave in the formula has only 1000 points, fewer than 1001"


def test_aliases_evaluate_as_the_equation_editors():
    inline = tidewright.evaluate("amp*sin(omg*p)*0.5+p", 2000)
    aliased = tidewright.evaluate("amp*{s}*0.5+{ramp}", 2000,
                                  operands={"s": "sin(omg*p)", "{ramp}": "p"})
    assert np.array_equal(aliased, inline)
    # An array is a wave operand: the same as its file named in the formula.
    wave = np.fromfile(os.path.join(WAVES, "sine.wav"), dtype="<i2")
    by_array = tidewright.evaluate("{w}*2-p", 1000, operands={"w": wave})
    by_file = tidewright.evaluate(os.path.join(WAVES, "sine.wav") + "*2-p", 1000)
    assert np.array_equal(by_array, by_file)


# The texts are the C++ tests'; these rows cover the module's own empty formula and a refusal of
# two messages under both captions.
@pytest.mark.parametrize("formula,operands,messages", [
    ("  ", None, [("Error", "Expression is empty")]),
    ("{nope}", {"a": "p"}, [
        ("Tidewright", "The alias in the expression, doesn't  present in your list of Aliases"),
        ("Error", "Expression:\n{nope}\nIncorrect")]),
])
def test_refusals_raise_the_programs_messages(formula, operands, messages):
    with pytest.raises(tidewright.Error) as raised:
        tidewright.evaluate(formula, 10, operands=operands)
    assert raised.value.messages == messages
    assert str(raised.value) == messages[0][1]
    assert raised.value.caption == messages[0][0]


def test_messages_that_do_not_stop_the_call_are_warnings():
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        values = tidewright.evaluate("{a b}", 3, operands={"a b": "p"})
    assert values.tolist() == [0, 1, 2]
    assert [str(w.message) for w in caught] == [
        "Tidewright: It is recommended not use spacing characters in the name of Alias."]
    assert all(issubclass(w.category, tidewright.Warning) for w in caught)


@pytest.mark.parametrize("arguments,error,match", [
    (dict(points=0), ValueError, "points"), (dict(range=(1, 1)), ValueError, "range"),
    (dict(operands=["p"]), TypeError, "operands"), (dict(cycles=0), ValueError, "cycles")])
def test_arguments_out_of_bounds_are_python_errors(arguments, error, match):
    with pytest.raises(error, match=match):
        tidewright.evaluate("p", **{"points": 10, **arguments})


def test_cycles_repeat_the_first_part_on_the_scale_of_the_whole():
    # The scale comes from the first pass over all 12 points: 90 / 11 per point.
    values = tidewright.evaluate("p", 12, range=(0, 90), scale=True, cycles=3)
    assert values.tolist() == [0, 8, 16, 24] * 3
