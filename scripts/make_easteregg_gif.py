#!/usr/bin/env python3
"""Draws the options panel's hidden picture: an animated GIF of 211 x 24 pixels, 100 frames,
looping for ever. A key glides along a wave of dots under the panel's face colour.

    python3 scripts/make_easteregg_gif.py resources/easteregg.gif

Standard library only; the GIF (LZW included) is written here."""

import math
import struct
import sys

WIDTH, HEIGHT, FRAMES = 211, 24, 100
DELAY_CS = 10  # hundredths of a second a frame at normal speed
MIN_CODE_SIZE = 4  # 16 colours

PALETTE = [
    (0xEC, 0xE9, 0xD8),  # 0 panel face
    (0x00, 0x4E, 0x98),  # 1 window blue
    (0x80, 0x80, 0x80),  # 2 grey
    (0xC8, 0xA0, 0x20),  # 3 key gold
    (0x8C, 0x64, 0x10),  # 4 key shade
    (0xFF, 0xFF, 0xFF),  # 5 white
    (0x60, 0x90, 0xD0),  # 6 light blue
    (0xA0, 0xC0, 0xE8),  # 7 pale blue
] + [(0, 0, 0)] * 8


def draw_frame(f):
    px = [[0] * WIDTH for _ in range(HEIGHT)]

    def put(x, y, c):
        if 0 <= x < WIDTH and 0 <= y < HEIGHT:
            px[y][x] = c

    phase = 2 * math.pi * f / FRAMES
    # A wave of dots that runs once round per loop.
    for x in range(2, WIDTH - 2, 6):
        y = int(round(12 + 7 * math.sin(x / 17.0 - 2 * phase)))
        colour = 6 if (x // 6 + f // 5) % 3 else 7
        for dx in (0, 1):
            for dy in (0, 1):
                put(x + dx, y + dy, colour)
    # The key: a ring with a shaft and two teeth, gliding left to right across the loop.
    kx = int(-34 + (WIDTH + 34) * f / FRAMES)
    ky = 12
    for y in range(HEIGHT):
        for x in range(kx, kx + 12):
            d = math.hypot(x - (kx + 5.5), y - ky + 0.5)
            if 3.0 <= d <= 5.8:
                put(x, y, 3 if y < ky else 4)
    for x in range(kx + 11, kx + 31):
        put(x, ky - 1, 3)
        put(x, ky, 4)
    for tx in (kx + 24, kx + 28):
        for y in range(ky + 1, ky + 5):
            put(tx, y, 4)
            put(tx + 1, y, 3)
    # A sparkle at the head of the key now and then.
    if f % 20 < 10:
        for d in range(-2, 3):
            put(kx + 5 + d, ky - 8, 5)
            put(kx + 5, ky - 8 + d, 5)
    return [c for row in px for c in row]


def lzw_codes(indices, min_size):
    """GIF LZW: (code, width in bits) pairs, starting with a clear code."""
    clear, end = 1 << min_size, (1 << min_size) + 1
    out = []

    def reset():
        return {(i,): i for i in range(clear)}, end + 1, min_size + 1

    table, next_code, size = reset()
    out.append((clear, size))
    w = ()
    for k in indices:
        wk = w + (k,)
        if wk in table:
            w = wk
            continue
        out.append((table[w], size))
        table[wk] = next_code
        next_code += 1
        # The reader widens its codes one entry later than the writer adds them.
        if next_code > (1 << size) and size < 12:
            size += 1
        if next_code >= 4000:
            out.append((clear, size))
            table, next_code, size = reset()
        w = (k,)
    out.append((table[w], size))
    # The reader adds one more entry on the last code, and may widen for the end code.
    if next_code == (1 << size) and size < 12:
        size += 1
    out.append((end, size))
    return out


def lzw_decode(codes, min_size):
    """The reader's side, to check the writer above."""
    clear, end = 1 << min_size, (1 << min_size) + 1
    out, table, prev, size = [], None, None, min_size + 1
    for code, width in codes:
        if width != size:
            raise SystemExit("code width %d where the reader expects %d" % (width, size))
        if code == clear:
            table, prev, size = {i: (i,) for i in range(clear)}, None, min_size + 1
            continue
        if code == end:
            break
        entry = table[code] if code in table else prev + (prev[0],)
        out.extend(entry)
        if prev is not None:
            table[len(table) + 2] = prev + (entry[0],)
            if len(table) + 2 == (1 << size) and size < 12:
                size += 1
        prev = entry
    return out


def pack(codes):
    acc = nbits = 0
    data = bytearray()
    for code, size in codes:
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            data.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8
    if nbits:
        data.append(acc & 0xFF)
    blocks = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        blocks += bytes([len(chunk)]) + chunk
    return bytes(blocks) + b"\x00"


def gif():
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", WIDTH, HEIGHT, 0xF0 | (MIN_CODE_SIZE - 1), 0, 0)
    for r, g, b in PALETTE:
        out += bytes((r, g, b))
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", 0) + b"\x00"  # loop for ever
    for f in range(FRAMES):
        pixels = draw_frame(f)
        codes = lzw_codes(pixels, MIN_CODE_SIZE)
        if lzw_decode(codes, MIN_CODE_SIZE) != pixels:
            raise SystemExit("LZW round trip failed at frame %d" % f)
        out += b"\x21\xF9\x04" + struct.pack("<BHB", 0x04, DELAY_CS, 0) + b"\x00"
        out += b"\x2C" + struct.pack("<HHHHB", 0, 0, WIDTH, HEIGHT, 0)
        out += bytes([MIN_CODE_SIZE]) + pack(codes)
    out += b"\x3B"
    return bytes(out)


if __name__ == "__main__":
    path = sys.argv[1] if len(sys.argv) > 1 else "resources/easteregg.gif"
    with open(path, "wb") as fh:
        fh.write(gif())
