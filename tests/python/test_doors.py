"""What Python and Unix users take for granted: clipping reported, OSError subclasses, the CLI's
choices as keywords and info()."""
import os
import warnings
import wave

import numpy as np
import pytest
import scipy.io

import tidewright
from conftest import cli_ok

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


def test_files_the_system_refuses_raise_oserrors_named_with_its_reason(tmp_path):
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
    os.mkdir(tmp_path / "folder.asc")
    with pytest.raises(tidewright.Error, match="Is a directory: '.*folder.asc'"):
        tidewright.read_wave(tmp_path / "folder.asc")
    with pytest.raises(tidewright.Error, match="folder.asc"):
        tidewright.write_wave(tmp_path / "folder.asc", np.zeros(3, dtype=np.int16))
    if os.geteuid() != 0:  # root reads every file
        locked = tmp_path / "locked.wav"
        locked.write_bytes(b"\0\0")
        locked.chmod(0)
        with pytest.raises(PermissionError):
            tidewright.read_wave(locked)


FORMS = ".wav, .asc, .csv, .pwav, .npy, .mat, .wvf, .asf, .wfp or .afp"


@pytest.mark.parametrize("call,error,names", [
    (lambda p: tidewright.read_wave(p / "x.abc"), ValueError, ["format", ".npy", ".mat", ".csv"]),
    (lambda p: tidewright.write_wave(p / "x.abc", [1]), ValueError, [FORMS]),
    (lambda p: tidewright.write_wave(p / "x.wav", [1], format="mp3"), ValueError,
     ["'16-bit PCM WAV'", "'MATLAB'", "'NumPy'"]),
    (lambda p: tidewright.write_wave(p / "x.wav", [0.5]), TypeError, ["integers", "float64"]),
    (lambda p: tidewright.write_wave(p / "x.wav", ["1", "2"]), TypeError, ["<U1"]),
    (lambda p: tidewright.write_wave(p / "x.wav", [[1], [2]]), ValueError,
     ["one-dimensional", "(2, 1)"]),
    (lambda p: tidewright.write_wave(p / "x.wav", np.array([0, 40000], dtype=np.int32)),
     ValueError, ["point 1 (40000)"]),
    (lambda p: tidewright.read_wave(p / "x.csv", columns=3), ValueError, ["columns", "1", "2"]),
    (lambda p: tidewright.read_wave(p / "x.csv", range=(5, 1)), ValueError, ["range"]),
])
def test_bad_arguments_name_what_is_accepted_and_nothing_is_written(tmp_path, call, error, names):
    (tmp_path / "x.abc").write_bytes(b"1")
    (tmp_path / "x.csv").write_text("1\n")
    with pytest.raises(error) as raised:
        call(tmp_path)
    for name in names:
        assert name in str(raised.value)
    assert sorted(os.listdir(tmp_path)) == ["x.abc", "x.csv"]


def test_the_tools_choices_are_keywords(tmp_path):
    frames = np.array([[i * 30, -i * 30] for i in range(100)], dtype="<i2").tobytes()
    stereo = wav_file(tmp_path / "s.wav", 2, 2, 8000, frames)
    assert tidewright.read_wave(stereo, range=(-32768, 32767)).tolist() == [
        i * 30 for i in range(100)]
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


def test_write_wave_takes_any_integers_and_a_format_by_name(tmp_path):
    extremes = [-32768, -1, 0, 1, 32767]
    for given in (extremes, tuple(extremes), np.array(extremes, dtype=">i2"),
                  *(np.array(extremes, dtype=t) for t in (np.int16, np.int32, np.int64, ">i8"))):
        tidewright.write_wave(tmp_path / "a.wav", given)
        assert (tmp_path / "a.wav").read_bytes() == np.array(extremes, dtype="<i2").tobytes()
        assert tidewright.read_wave(tmp_path / "a.wav").tolist() == extremes
    tidewright.write_wave(tmp_path / "u.wav", np.arange(5, dtype=np.uint8))
    assert tidewright.read_wave(tmp_path / "u.wav").tolist() == [0, 1, 2, 3, 4]
    tidewright.write_wave(tmp_path / "fm.npy", np.array([-70000, 70000], dtype=">i4"))
    loaded = np.load(tmp_path / "fm.npy")
    assert loaded.dtype == np.dtype("<i4") and loaded.tolist() == [-70000, 70000]
    points = [-8192, -1, 0, 1, 8191]
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
    # info and the CLI read the first variable; the shapes are of all.
    scipy.io.savemat(tmp_path / "m.mat", {"fs": 1e6, "v": np.zeros((2, 500))})
    assert tidewright.info(tmp_path / "m.mat")["variables"] == {"fs": (1, 1), "v": (2, 500)}
    assert "variables: fs 1x1, v 2x500\n" in cli_ok("info", str(tmp_path / "m.mat")).stdout
    np.save(tmp_path / "b.npy", np.zeros(4, dtype=">f8"))
    assert tidewright.info(tmp_path / "b.npy")["encoding"] == "NumPy, 64-bit float, big-endian"
