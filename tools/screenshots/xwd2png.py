#!/usr/bin/env python3
"""Converts an X window dump (xwd, 24/32-bit TrueColor) to PNG: xwd2png.py IN.xwd OUT.png"""
import struct
import sys
import zlib


def main(src, dst):
    data = open(src, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    masks, ncolors = fields[14:17], fields[19]
    step = bits_per_pixel // 8
    if step not in (3, 4):
        sys.exit("xwd2png: only 24 or 32 bits per pixel are supported, not %d" % bits_per_pixel)
    pixels = data[header_size + 12 * ncolors:]
    order = "<" if byte_order == 0 else ">"
    shifts = [(m & -m).bit_length() - 1 for m in masks]
    rows = []
    for y in range(height):
        line = pixels[y * bytes_per_line:y * bytes_per_line + step * width]
        out = bytearray(b"\0")
        for x in range(0, len(line), step):
            value = int.from_bytes(line[x:x + step], "little" if order == "<" else "big")
            out += bytes(((value & m) >> s) & 0xFF for m, s in zip(masks, shifts))
        rows.append(bytes(out))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
    open(dst, "wb").write(png)


if __name__ == "__main__":
    main(*sys.argv[1:3])
