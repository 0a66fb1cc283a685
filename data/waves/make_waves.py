#!/usr/bin/env python3
"""Writes the sample sine waveform (1000 points, codes -8191..8191) in each readable form."""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
N = 1000


def main():
    unit = [math.sin(2 * math.pi * i / N) for i in range(N)]
    codes = [round(8191 * v) for v in unit]
    native = struct.pack("<%dh" % N, *codes)
    with open(os.path.join(HERE, "sine.wav"), "wb") as f:
        f.write(native)
    with open(os.path.join(HERE, "sine.asc"), "w", newline="") as f:
        f.write(" ".join("%g" % c for c in codes))
    with open(os.path.join(HERE, "sine.csv"), "w", newline="") as f:
        f.write("Sine, 1 kHz, 1 MS/s\r\nTime,Amplitude\r\n")
        f.write("\r\n".join("%.6e,%.6f" % (i * 1e-6, v) for i, v in enumerate(unit)))
    rate = 1000000
    header = b"RIFF" + struct.pack("<I", 36 + len(native)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16)
    header += b"data" + struct.pack("<I", len(native))
    with open(os.path.join(HERE, "sine-riff.wav"), "wb") as f:
        f.write(header + native)


if __name__ == "__main__":
    main()
