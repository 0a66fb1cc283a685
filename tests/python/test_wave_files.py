"""read_wave and write_wave against tidewright-cli and the forms' byte layouts."""
import os
import shutil

import numpy as np
import pytest

import tidewright
from conftest import BAD_FILES, WAVES, cli_ok

SAMPLES = ["sine.wav", "sine.asc", "sine.csv", "sine-riff.wav"]
WRITABLE = [".wav", ".asc", ".csv", ".pwav"]


@pytest.mark.parametrize("name", SAMPLES)
@pytest.mark.parametrize("ext", WRITABLE)
def test_read_then_write_is_convert_byte_for_byte(tmp_path, name, ext):
    source = os.path.join(WAVES, name)
    cli_ok("convert", source, str(tmp_path / ("cli" + ext)))
    points = tidewright.read_wave(source)
    assert points.dtype == np.int16
    tidewright.write_wave(tmp_path / ("module" + ext), points)
    assert (tmp_path / ("module" + ext)).read_bytes() == (tmp_path / ("cli" + ext)).read_bytes()


# The forms' points are the C++ tests'; Open would leave "sine-riff_TBR.wav" and converted ".wav"
# files beside them, the module none.
def test_reading_writes_nothing_beside_the_file(tmp_path):
    for name in SAMPLES:
        shutil.copy(os.path.join(WAVES, name), tmp_path)
        tidewright.read_wave(str(tmp_path / name))
    assert sorted(os.listdir(tmp_path)) == sorted(SAMPLES)


# Their bytes are the C++ tests'; the module hands them back as int32, ".asf" and ".afp" through
# "%g", which keeps six significant digits.
def test_fm_forms_hold_32_bit_points(tmp_path):
    points = np.array([-2147483648, -5, 0, 7, 500000000, 2147483647], dtype=np.int32)
    for ext in (".wvf", ".wfp", ".asf", ".afp"):
        tidewright.write_wave(tmp_path / ("fm" + ext), points)
        back = tidewright.read_wave(tmp_path / ("fm" + ext))
        assert back.dtype == np.int32, ext
        if ext in (".wvf", ".wfp"):
            assert np.array_equal(back, points), ext
        else:
            assert np.array_equal(back, [float("%g" % v) for v in points]), ext


def test_bad_files_raise_the_programs_text_and_leave_their_folder_alone(tmp_path):
    names = sorted(os.listdir(BAD_FILES))
    assert len(names) > 10
    for name in names:
        shutil.copy(os.path.join(BAD_FILES, name), tmp_path)
    for name in names:
        with pytest.raises(tidewright.Error) as raised:
            tidewright.read_wave(tmp_path / name)
        assert str(raised.value), name
    assert sorted(os.listdir(tmp_path)) == names
    with pytest.raises(tidewright.Error, match="Cannot convert the format to binary format"):
        tidewright.read_wave(tmp_path / "empty.wav")


def test_a_16m_point_native_file_reads_whole(tmp_path):
    n = 16 * 1024 * 1024
    points = (np.arange(n, dtype=np.int64) * 7919 % 65536 - 32768).astype("<i2")
    points.tofile(tmp_path / "big.wav")
    back = tidewright.read_wave(tmp_path / "big.wav")
    assert back.shape == (n,) and back.dtype == np.int16
    assert np.array_equal(back, points)
    assert back.flags.writeable and back.flags.c_contiguous
