#!/usr/bin/env python3
"""Writes tests/data/document/npy/: numpy's own files of the values the NumPy import test reads."""
import os

import numpy as np

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "npy")
ORDER = {"<": "le", ">": "be", "|": ""}


def main():
    os.makedirs(HERE, exist_ok=True)
    floats = [0, 0.5, -0.5, 1, -1, 0.25, 1.5, -2]
    integers = [0, 1, 7, 100, 127, 3]
    for dtype in ["<f2", ">f2", "<f4", ">f4", "<f8", ">f8"]:
        np.save(os.path.join(HERE, "float-%s%s.npy" % (ORDER[dtype[0]], dtype[1:])),
                np.array(floats, dtype=dtype))
    for dtype in ["|i1", "|u1", "<i2", ">i2", "<u2", ">u2", "<i4", ">i4", "<u4", ">u4",
                  "<i8", ">i8", "<u8", ">u8"]:
        np.save(os.path.join(HERE, "int-%s%s.npy" % (ORDER[dtype[0]], dtype[1:])),
                np.array(integers, dtype=dtype))
    # What the export of each composer's points must equal byte for byte.
    np.save(os.path.join(HERE, "export-int16.npy"),
            np.array([-32768, -1, 0, 1, 32767], dtype="<i2"))
    np.save(os.path.join(HERE, "export-int32.npy"),
            np.array([-2147483648, -5, 0, 5, 2147483647], dtype="<i4"))
    # A version 2 header, as numpy writes one for a header past 65535 bytes.
    with open(os.path.join(HERE, "header-v2.npy"), "wb") as out:
        np.lib.format.write_array(out, np.array(integers, dtype="<i2"), version=(2, 0))


if __name__ == "__main__":
    main()
