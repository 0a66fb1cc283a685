"""NumPy, MATLAB and WAV audio files through read_wave and write_wave: the core's own readers."""
import os
import shutil
import struct
import subprocess
import sys

import pytest

import tidewright
from conftest import BAD_FILES

HOSTILE = os.path.join(os.path.dirname(BAD_FILES), "hostile")


# The files and texts are the C++ tests'; these rows prove the module survives a reader that
# crashes or is stopped, and hands on why.
@pytest.mark.parametrize("name, why", [
    ("self-cell.mat", "the reader failed on it"),
    ("zlib-bomb.mat", "it expands to more than 1 GiB when decompressed"),
])
def test_hostile_mat_files_are_refused_with_why(tmp_path, monkeypatch, name, why):
    for f in os.listdir(HOSTILE):
        shutil.copy(os.path.join(HOSTILE, f), tmp_path)
    monkeypatch.chdir(tmp_path)  # the files' external names are relative to it
    with pytest.raises(tidewright.Error, match="The file could not be read: " + why):
        tidewright.read_wave(tmp_path / name)


# The peak is the process's own from here on (ru_maxrss keeps the pytest process's across exec).
MEASURED_READ = """
import resource, sys, numpy, tidewright
def peak():
    with open("/proc/self/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmHWM:"))
with open("/proc/self/clear_refs", "w") as refs:
    refs.write("5")
before = peak()
points = tidewright.read_wave(sys.argv[1], range=(-32768, 32767))
assert len(points) == 24 << 20 and points[0] == -32768 and points[255] == 32767
print(before, peak(), resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
"""


@pytest.mark.parametrize("width", [1, 2])
def test_audio_wave_is_read_a_block_at_a_time(tmp_path, width):
    # 24M samples of 8 or 16 bits, read by the audio library (an 18-byte format chunk: no
    # canonical file): 48 MiB of int16 points. The reader's child once held the file, 8 bytes a
    # value and the points; the module then held them as int32 and int16 (3 times the points).
    ramp = bytes(range(256)) if width == 1 else b"".join(struct.pack("<h", v * 257 - 32768)
                                                         for v in range(256))
    data = ramp * (3 << 15)
    fmt = struct.pack("<IHHIIHHH", 18, 1, 1, 8000, 8000 * width, width, 8 * width, 0)
    (tmp_path / "audio.wav").write_bytes(b"RIFF" + struct.pack("<I", 4 + 8 + 18 + 8 + len(data))
                                         + b"WAVEfmt " + fmt + b"data"
                                         + struct.pack("<I", len(data)) + data)
    del data
    run = subprocess.run([sys.executable, "-c", MEASURED_READ, str(tmp_path / "audio.wav")],
                         capture_output=True, text=True, timeout=300, check=True)
    before, peak, child = (int(kib) for kib in run.stdout.split())
    final = 48 * 1024  # KiB
    assert peak < before + 2 * final + 16 * 1024, (before, peak)
    assert child < before + 32 * 1024, (before, child)