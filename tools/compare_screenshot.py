#!/usr/bin/env python3
"""Compares a screenshot of a window (X window dump, as `xwd` writes it) with a recorded
frame (PNG, as `tsuzuri --record` writes it). Exit code 0 when every pixel's colour is equal.

Usage: compare_screenshot.py SCREENSHOT.xwd FRAME.png
"""
import struct
import sys
import zlib


def read_xwd(path):
    data = open(path, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, _, pixmap_format, _, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14:17]
    ncolors = fields[19]
    if pixmap_format != 2 or bits_per_pixel != 32:
        raise SystemExit(f"unsupported window dump: format {pixmap_format}, {bits_per_pixel} bits")
    start = header_size + ncolors * 12
    order = "<" if byte_order == 0 else ">"

    def shift(mask):
        return (mask & -mask).bit_length() - 1

    shifts = (shift(red_mask), shift(green_mask), shift(blue_mask))
    pixels = []
    for y in range(height):
        row = data[start + y * bytes_per_line:start + y * bytes_per_line + width * 4]
        for (value,) in struct.iter_unpack(order + "I", row):
            pixels.append(tuple((value >> s) & 0xFF for s in shifts))
    return width, height, pixels


def read_png(path):
    data = open(path, "rb").read()
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    channels = {2: 3, 6: 4}[colour]
    if depth != 8:
        raise SystemExit("only 8-bit frames are read")
    raw = zlib.decompress(idat)
    stride = width * channels
    previous = bytearray(stride)
    pixels = []
    at = 0
    for _ in range(height):
        kind = raw[at]
        line = bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        pixels.extend(tuple(line[i:i + 3]) for i in range(0, stride, channels))
        previous = line
    return width, height, pixels


def main():
    sw, sh, shot = read_xwd(sys.argv[1])
    fw, fh, frame = read_png(sys.argv[2])
    if (sw, sh) != (fw, fh):
        print(f"sizes differ: window {sw}x{sh}, frame {fw}x{fh}")
        return 1
    differing = [i for i in range(len(frame)) if shot[i] != frame[i]]
    if differing:
        i = differing[0]
        print(f"{len(differing)} pixels differ; first at {i % fw},{i // fw}: "
              f"window {shot[i]}, frame {frame[i]}")
        return 1
    print(f"all {len(frame)} pixels equal")
    return 0


if __name__ == "__main__":
    sys.exit(main())
