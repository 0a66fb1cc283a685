#!/usr/bin/env python3
"""Writes tests/data/bad/: small waveform files no importer may accept under their extension."""
import os
import random
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bad")


def lecroy(desc_len=346, text_len=0, reserved_len=0, data=b"", prefix=b"#9000000400"):
    desc = bytearray(max(desc_len, 48))
    desc[0:8] = b"WAVEDESC"
    struct.pack_into("<hhiii", desc, 32, 0, 1, desc_len, text_len, reserved_len)
    return prefix + bytes(desc) + data


def npy(header, data):
    text = header.encode()
    return b"\x93NUMPY\x01\x00" + len(text).to_bytes(2, "little") + text + data


NPY_I2 = "{{'descr': '<i2', 'fortran_order': False, 'shape': {}, }}"
NPY_GOOD = "{'descr': '<i2', 'fortran_order': False, 'shape': (8,), }\n"


def main():
    rng = random.Random(20240607)
    noise = bytes(rng.randrange(256) for _ in range(600))
    no_digits = bytes(b for b in noise if not (0x30 <= b <= 0x39 or b in b"+-"))
    files = {
        "empty.wav": b"",
        "empty.asc": b"",
        "empty.csv": b"",
        "empty.trc": b"",
        "one-byte.wav": b"\x01",
        "riff-header-only.wav": b"RIFF" + bytes(40),
        "riff-cut.wav": b"RIFF\x24\x00\x00\x00WAVEfmt ",
        "garbage.asc": noise,
        "garbage.txt": no_digits,
        "garbage.trc": noise.replace(b"WAVEDESC", b"wavexxxx"),
        "huge-number.asc": b"1 2 1e999 4",
        "huge-number.csv": b"Time,Volt\r\n0,1\r\n1,1e400\r\n",
        "overflow.asc": b"100 40000 -3",
        "not-a-number.asc": b"1 2 nan inf",
        "cut-exponent.asc": b"1 2 3e",
        "words.prn": b"hello world, nothing to read here\n",
        "header-only.csv": b"\"Time\",\"Volt\"\r\n",
        "lone-signs.txt": b"- + -- ++ -+\n",
        "descriptor-cut.trc": b"WAVEDESC" + bytes(20),
        "lengths-past-end.000": lecroy(reserved_len=100, data=b"abcd"),
        "negative-length.001": lecroy(text_len=-2000, data=b"abcd"),
        "one-sample-byte.trc": lecroy(data=b"\x05"),
        "marker-too-late.trc": bytes(395) + lecroy(prefix=b"", data=b"abcdef"),
        "wave-no-data.wav": b"RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x02\x00"
        + b"\x40\x1f\x00\x00\x00\x7d\x00\x00\x04\x00\x10\x00" + b"LIST\x04\x00\x00\x00INFO",
        "wave-no-channels.wav": b"RIFF\x28\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x00\x00"
        + b"\x40\x1f\x00\x00\x00\x7d\x00\x00\x04\x00\x18\x00data\x04\x00\x00\x00abcd",
        "matrix.npy": npy("{'descr': '<i2', 'fortran_order': False, 'shape': (2, 2), }", bytes(8)),
        "cut.npy": npy("{'descr': '<f8', 'fortran_order': False, 'shape': (100,), }", bytes(16)),
        "huge-shape.npy": npy("{'descr': '<i2', 'fortran_order': False, 'shape': (1" + "0" * 17
                              + ",), }", bytes(16)),
        "complex.npy": npy("{'descr': '<c8', 'fortran_order': False, 'shape': (2,), }", bytes(16)),
        "no-shape.npy": npy(NPY_I2.format("()"), bytes(16)),
        "zero-length.npy": npy(NPY_I2.format("(0,)"), bytes(16)),
        "one-short.npy": npy(NPY_I2.format("(9,)"), bytes(16)),
        "shape-overflow.npy": npy(NPY_I2.format("(99999999999999999999,)"), bytes(16)),
        "past-longest.npy": npy(NPY_I2.format("(134217729,)"), bytes(16)),
        "bool.npy": npy("{'descr': '|b1', 'fortran_order': False, 'shape': (1,), }", bytes(16)),
        "text.npy": npy("{'descr': '<U4', 'fortran_order': False, 'shape': (1,), }", bytes(16)),
        "long-double.npy": npy("{'descr': '<f16', 'fortran_order': False, 'shape': (1,), }",
                               bytes(16)),
        "no-byte-order.npy": npy("{'descr': '|i2', 'fortran_order': False, 'shape': (1,), }",
                                 bytes(16)),
        "no-order.npy": npy("{'descr': '<i2', 'shape': (1,), }", bytes(16)),
        "descr-twice.npy": npy("{'descr': '<i2', 'descr': '<i2', 'fortran_order': False, "
                               "'shape': (1,), }", bytes(16)),
        "extra-key.npy": npy("{'descr': '<i2', 'fortran_order': False, 'shape': (1,), 'x': 1}",
                             bytes(16)),
        "open-header.npy": npy("{'descr': '<i2', 'fortran_order': False, 'shape': (1,) ",
                               bytes(16)),
        "nan.npy": npy("{'descr': '<f8', 'fortran_order': False, 'shape': (2,), }",
                       b"\0\0\0\0\0\0\xf8\x7f" + bytes(8)),
        "header-cut.npy": npy(NPY_GOOD, bytes(16))[:20],
        "header-past-end.npy": b"\x93NUMPY\x01\x00\xff\xff" + NPY_GOOD.encode(),
        "version-4.npy": b"\x93NUMPY\x04\x00" + NPY_GOOD.encode(),
        "magic-cut.npy": b"\x93NUMP",
        "empty.mat": b"",
        "garbage.mat": b"MATLAB 5.0 MAT-file".ljust(116, b" ") + bytes(8) + b"\x00\x01IM" + noise,
    }
    os.makedirs(HERE, exist_ok=True)
    for name, content in files.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(content)


if __name__ == "__main__":
    main()
