#!/usr/bin/env python3
"""Pictures whose headers claim far more than their bytes hold, built field by field:
python3 make_hostile_pictures.py <folder>. Every JPEG is grey with one Huffman code per
table, so zero bits decode as flat blocks however far the claimed size goes."""
import os
import struct
import sys


def segment(marker, payload):
    return b"\xff" + bytes([marker]) + struct.pack(">H", len(payload) + 2) + payload


def jpeg(width, height, progressive):
    table = bytes([1] + [0] * 15) + b"\x00"  # one code of length 1: symbol 0
    frame = b"\x08" + struct.pack(">HH", height, width) + b"\x01" + b"\x01\x11\x00"
    # A progressive picture's first scan is the DC scan: its coefficients for the whole picture are kept.
    spectrum = b"\x00\x00\x00" if progressive else b"\x00\x3f\x00"
    return (b"\xff\xd8" + segment(0xDB, b"\x00" + bytes([1] * 64)) +
            segment(0xC2 if progressive else 0xC0, frame) +
            segment(0xC4, b"\x00" + table) + segment(0xC4, b"\x10" + table) +
            segment(0xDA, b"\x01\x01\x00" + spectrum) + b"\x00" * 4 + b"\xff\xd9")


def gif(screen_width, screen_height):
    # A 1 x 1 frame of a two-colour table: the codes clear (4), 0 and end (5), 3 bits each.
    codes = 4 | 0 << 3 | 5 << 6
    return (b"GIF89a" + struct.pack("<HHBBB", screen_width, screen_height, 0, 0, 0) +
            b"\x2c" + struct.pack("<HHHHB", 0, 0, 1, 1, 0x80) + b"\x00\x00\x00\xff\xff\xff" +
            b"\x02" + b"\x02" + struct.pack("<H", codes) + b"\x00" + b"\x3b")


def main(folder):
    files = {
        "progressive-65500.jpg": jpeg(65500, 65500, True),  # all coefficients: gigabytes
        "baseline-65500.jpg": jpeg(65500, 65500, False),    # 8188 x 8188 at 1/8
        "progressive-16384x2900.jpg": jpeg(16384, 2900, True),  # the device's size, 95 MB of coefficients
        "screen-16384x2900.gif": gif(16384, 2900),          # a logical screen of 190 MB around one pixel
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
