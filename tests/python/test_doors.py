"""What Python and Unix users take for granted: clipping reported, OSError subclasses, the CLI's
choices as keywords, info(), and huge or infinite values that do not flatten the wave."""
import math
import os
import wave

import numpy as np
import pytest
import scipy.io

import tidewright
from conftest import cli, cli_ok

RANGE = (0, 16383)


def wav_file(path, channels, width, rate, frames):
    with wave.open(str(path), "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(width)
        w.setframerate(rate)
        w.writeframes(frames)
    return str(path)


def test_clipped_points_are_reported_by_the_module_and_the_tool(tmp_path):
    values = np.array([0.0, 0.5, 1.5, -2.0, np.inf, -np.inf, 3.0], dtype="<f4")
    np.save(tmp_path / "f.npy", values)
    with pytest.warns(tidewright.ClipWarning) as caught:
        points = tidewright.read_wave(tmp_path / "f.npy", range=RANGE)
    assert issubclass(tidewright.ClipWarning, UserWarning)
    assert issubclass(tidewright.ClipWarning, tidewright.Warning)
    assert [w.message.count for w in caught] == [5]
    assert str(caught[0].message) == ("5 points lay outside the instrument's code range and "
                                      "were clipped to it.")
    assert points.tolist() == [8192, 12287, 16383, 0, 16383, 0, 16383]
    run = cli_ok("convert", str(tmp_path / "f.npy"), str(tmp_path / "f.wav"), "--range", "0:16383")
    assert run.stderr == (f"tidewright-cli: {tmp_path / 'f.npy'}: 5 points lay outside the "
                          "instrument's code range and were clipped to it.\n")
    assert np.fromfile(tmp_path / "f.wav", "<i2").tolist() == points.tolist()
    assert "5 points lay outside" in cli_ok("info", str(tmp_path / "f.npy")).stderr


def test_huge_and_infinite_values_are_stretched_over_the_finite_ones(tmp_path):
    # 2 * 1e308 overflows: a stretch computed that way puts every point at the bottom.
    huge = [1e308, -1e308, 5e307, 0.0]
    expected = [16383, 0, 12287, 8192]
    with open(tmp_path / "h.csv", "w") as f:
        f.write("Time,Value\n" + "".join(f"{i},{v!r}\n" for i, v in enumerate(huge)))
    assert tidewright.read_wave(tmp_path / "h.csv", range=RANGE).tolist() == expected
    cli_ok("convert", str(tmp_path / "h.csv"), str(tmp_path / "h.wav"), "--range", "0:16383")
    assert np.fromfile(tmp_path / "h.wav", "<i2").tolist() == expected
    scipy.io.savemat(tmp_path / "h.mat", {"v": np.array(huge)})
    assert tidewright.read_wave(tmp_path / "h.mat", range=RANGE).tolist() == expected
    # An infinity is clipped at its own end; the finite values keep their stretch.
    scipy.io.savemat(tmp_path / "i.mat", {"v": np.array([np.inf, -0.5, 0.5, -np.inf])})
    with pytest.warns(tidewright.ClipWarning) as caught:
        assert tidewright.read_wave(tmp_path / "i.mat", range=RANGE).tolist() == [16383, 0,
                                                                                16383, 0]
    assert caught[0].message.count == 2
    run = cli_ok("convert", str(tmp_path / "i.mat"), str(tmp_path / "i.wav"), "--range", "0:16383")
    assert np.fromfile(tmp_path / "i.wav", "<i2").tolist() == [16383, 0, 16383, 0]
    assert "2 points lay outside" in run.stderr
    scipy.io.savemat(tmp_path / "n.mat", {"v": np.array([0.5, math.nan])})
    with pytest.raises(tidewright.Error, match="not a number"):
        tidewright.read_wave(tmp_path / "n.mat")
    assert cli("info", str(tmp_path / "n.mat")).returncode == 1


def test_files_the_system_refuses_raise_oserrors_that_are_also_tidewright_errors(tmp_path):
    missing = str(tmp_path / "gone.wav")
    for call in (lambda: tidewright.read_wave(missing), lambda: tidewright.info(missing),
                 lambda: tidewright.write_wave(tmp_path / "no" / "x.wav", [1, 2])):
        with pytest.raises(FileNotFoundError) as raised:
            call()
        assert isinstance(raised.value, tidewright.Error)
        assert "No such file or directory" in str(raised.value)
        assert raised.value.filename.endswith(".wav")
    with pytest.raises(tidewright.FileError) as raised:
        tidewright.read_wave(tmp_path)
    assert isinstance(raised.value, OSError) and isinstance(raised.value, tidewright.Error)
    if os.geteuid() != 0:  # root reads every file
        locked = tmp_path / "locked.wav"
        locked.write_bytes(b"\0\0")
        locked.chmod(0)
        with pytest.raises(PermissionError):
            tidewright.read_wave(locked)


@pytest.mark.parametrize("call,error,names", [
    (lambda p: tidewright.read_wave(p / "x.abc"), ValueError, [".npy", ".mat", ".csv"]),
    (lambda p: tidewright.write_wave(p / "x.abc", [1]), ValueError, [".npy", ".mat", ".pwav"]),
    (lambda p: tidewright.write_wave(p / "x.wav", [1], format="mp3"), ValueError,
     ["'16-bit PCM WAV'", "'MATLAB'", "'NumPy'"]),
    (lambda p: tidewright.write_wave(p / "x.wav", [0.5]), TypeError, ["integers", "float64"]),
    (lambda p: tidewright.write_wave(p / "x.wav", [[1], [2]]), ValueError, ["(2, 1)"]),
    (lambda p: tidewright.read_wave(p / "x.csv", columns=3), ValueError, ["1", "2"]),
])
def test_bad_arguments_name_what_is_accepted(tmp_path, call, error, names):
    (tmp_path / "x.abc").write_bytes(b"1")
    (tmp_path / "x.csv").write_text("1\n")
    with pytest.raises(error) as raised:
        call(tmp_path)
    for name in names:
        assert name in str(raised.value)


def test_the_tools_choices_are_keywords(tmp_path):
    frames = np.array([[i * 30, -i * 30] for i in range(100)], dtype="<i2").tobytes()
    stereo = wav_file(tmp_path / "s.wav", 2, 2, 8000, frames)
    assert tidewright.read_wave(stereo, range=(-32768, 32767), channel=1).tolist() == [
        -i * 30 for i in range(100)]
    wave_points = np.arange(-500, 500, dtype=np.int16)
    scipy.io.savemat(tmp_path / "m.mat", {"fs": 1e6, "v": wave_points})
    with pytest.raises(ValueError, match="fs, v"):
        tidewright.read_wave(tmp_path / "m.mat")
    assert np.array_equal(tidewright.read_wave(tmp_path / "m.mat", variable="v", stretch=False),
                          wave_points)
    (tmp_path / "c.csv").write_text("0.5\n-2\n")
    with pytest.warns(tidewright.ClipWarning):
        assert tidewright.read_wave(tmp_path / "c.csv", columns=1, full_scale=True,
                                    range=RANGE).tolist() == [12287, 0]


def test_write_wave_takes_any_integers_and_every_form(tmp_path):
    points = [-8192, -1, 0, 1, 8191]
    native = np.array(points, dtype="<i2").tobytes()
    for given in (points, tuple(points), np.array(points, dtype=">i2"),
                  np.array(points, dtype=">i8")):
        tidewright.write_wave(tmp_path / "a.wav", given)
        assert (tmp_path / "a.wav").read_bytes() == native
    tidewright.write_wave(tmp_path / "fm.npy", np.array([-70000, 70000], dtype=">i4"))
    loaded = np.load(tmp_path / "fm.npy")
    assert loaded.dtype == np.dtype("<i4") and loaded.tolist() == [-70000, 70000]
    tidewright.write_wave(tmp_path / "audio.wav", points, format="16-bit PCM WAV")
    with wave.open(str(tmp_path / "audio.wav")) as w:
        assert (w.getnchannels(), w.getsampwidth(), w.getframerate()) == (1, 2, 44100)
    assert np.array_equal(tidewright.read_wave(tmp_path / "audio.wav"), points)


def test_info_tells_the_encoding_and_what_read_wave_makes_of_it(tmp_path):
    frames = b"".join(int(v).to_bytes(3, "little", signed=True) for v in
                      [0, 0, 4194304, -4194304, -8388608, 8388607])
    info = tidewright.info(wav_file(tmp_path / "w.wav", 2, 3, 48000, frames))
    assert info["encoding"] == "RIFF WAV, 24-bit integer, 2 channels, 48000 Hz"
    assert (info["channels"], info["sample_rate"], info["bits"]) == (2, 48000, 24)
    assert (info["points"], info["min"], info["max"]) == (3, -8192, 4095)
    out = cli_ok("info", str(tmp_path / "w.wav")).stdout
    assert "encoding: RIFF WAV, 24-bit integer, 2 channels, 48000 Hz\n" in out
    mono = wav_file(tmp_path / "c.wav", 1, 2, 44100, np.array([5, -5], "<i2").tobytes())
    assert tidewright.info(mono)["encoding"].endswith("samples taken as points")
    # info and the CLI read the first variable; the shapes are of all.
    for w, shapes, line in [
            (np.zeros(1000), {"fs": (1, 1), "v": (1, 1000)}, "variables: fs 1x1, v 1x1000\n"),
            (np.zeros((2, 500)), {"fs": (1, 1), "v": (2, 500)}, "variables: fs 1x1, v 2x500\n")]:
        scipy.io.savemat(tmp_path / "m.mat", {"fs": 1e6, "v": w})
        assert tidewright.info(tmp_path / "m.mat")["variables"] == shapes
        assert line in cli_ok("info", str(tmp_path / "m.mat")).stdout
    np.save(tmp_path / "b.npy", np.zeros(4, dtype=">f8"))
    assert tidewright.info(tmp_path / "b.npy")["encoding"] == "NumPy, 64-bit float, big-endian"
