"""NumPy, MATLAB and WAV audio files through read_wave and write_wave: the core's own readers."""
import math
import wave

import numpy as np
import pytest

import tidewright

RANGE = (0, 16383)


def full_scale(values):
    """-1.0 ... +1.0 onto 0 ... 16383, rounded to nearest, held in the range."""
    half = (RANGE[1] - RANGE[0]) / 2
    return [min(max(math.floor(v * half + RANGE[0] + half + 0.5), 0), RANGE[1]) for v in values]


@pytest.mark.parametrize("dtype", ["<f4", ">f8", "<f2"])
def test_npy_floats_read_as_fractions_of_full_scale(tmp_path, dtype):
    values = [0.0, 0.5, -0.5, 1.0, -1.0, 2.0]
    np.save(tmp_path / "f.npy", np.array(values, dtype=dtype))
    with pytest.warns(tidewright.ClipWarning):  # 2.0
        points = tidewright.read_wave(tmp_path / "f.npy", range=RANGE)
    assert points.tolist() == full_scale(values)


def test_npy_and_mat_written_by_the_module_read_back(tmp_path):
    points = np.array([-8192, -1, 0, 1, 8191], dtype=np.int16)
    tidewright.write_wave(tmp_path / "w.npy", points)
    loaded = np.load(tmp_path / "w.npy")
    assert loaded.dtype == np.int16 and np.array_equal(loaded, points)
    tidewright.write_wave(tmp_path / "w.mat", points)
    assert np.array_equal(tidewright.read_wave(tmp_path / "w.mat", stretch=False), points)


def test_stereo_wav_reads_its_first_channel(tmp_path):
    with wave.open(str(tmp_path / "s.wav"), "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(8000)
        frames = np.array([[i * 30, -i * 30] for i in range(1000)], dtype="<i2")
        w.writeframes(frames.tobytes())
    points = tidewright.read_wave(tmp_path / "s.wav", range=(-32768, 32767))
    assert points.tolist() == [i * 30 for i in range(1000)]


def test_bad_npy_is_refused_with_string_3014(tmp_path):
    np.save(tmp_path / "m.npy", np.zeros((2, 3), dtype="<i2"))
    with pytest.raises(Exception, match="Cannot convert the format"):
        tidewright.read_wave(tmp_path / "m.npy")
