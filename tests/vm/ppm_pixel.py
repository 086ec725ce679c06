#!/usr/bin/env python3
"""ppm_pixel.py FILE X,Y [X,Y ...]: prints "R G B" of each pixel of a binary
PPM (QEMU's screendump, djpeg -pnm), and "WIDTH HEIGHT" first."""
import sys


def load(path):
    data = open(path, "rb").read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    if fields[0] != b"P6":
        sys.exit("%s: not a binary PPM" % path)
    return int(fields[1]), int(fields[2]), data[pos + 1:]


w, h, px = load(sys.argv[1])
print(w, h)
for xy in sys.argv[2:]:
    x, y = (int(v) for v in xy.split(","))
    i = (y * w + x) * 3
    print(px[i], px[i + 1], px[i + 2])
