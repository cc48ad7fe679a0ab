#!/usr/bin/env python3
"""Draws the 48 x 48 flag bitmaps of the shipped languages into data/LANGUAGE.

The options window shows each flag unscaled with the colour of its bottom-left pixel see-through,
so every flag stands 48 x 32 in the middle of a magenta field that is never part of a flag.
"""
import math
import os
import struct

SIZE = 48
TOP, BOTTOM = 8, 40  # the flag's rows; the rest is the see-through field
KEY = (255, 0, 255)
EDGE = (96, 96, 96)


def blank():
    return [[KEY for _ in range(SIZE)] for _ in range(SIZE)]


def framed(pixels):
    """Draws a thin grey edge around the flag so light flags stand out on the window."""
    for x in range(SIZE):
        pixels[TOP][x] = pixels[BOTTOM - 1][x] = EDGE
    for y in range(TOP, BOTTOM):
        pixels[y][0] = pixels[y][SIZE - 1] = EDGE
    return pixels


def tricolour(left, middle, right):
    pixels = blank()
    for y in range(TOP, BOTTOM):
        for x in range(SIZE):
            pixels[y][x] = left if x < 16 else middle if x < 32 else right
    return framed(pixels)


def horizontal(top, middle, bottom):
    pixels = blank()
    band = (BOTTOM - TOP) // 3
    for y in range(TOP, BOTTOM):
        colour = top if y < TOP + band else middle if y < TOP + 2 * band + 1 else bottom
        for x in range(SIZE):
            pixels[y][x] = colour
    return framed(pixels)


def union():
    """A simplified Union Jack: blue field, white and red diagonals, white-bordered red cross."""
    blue, white, red = (1, 33, 105), (255, 255, 255), (200, 16, 46)
    pixels = blank()
    height = BOTTOM - TOP
    for y in range(TOP, BOTTOM):
        for x in range(SIZE):
            u, v = (x + 0.5) / SIZE, (y - TOP + 0.5) / height
            # distance to each diagonal, in pixels
            d1 = abs(v - u) * height / math.sqrt(1 + (height / SIZE) ** 2)
            d2 = abs(v - (1 - u)) * height / math.sqrt(1 + (height / SIZE) ** 2)
            dx, dy = abs(x + 0.5 - SIZE / 2), abs(y - TOP + 0.5 - height / 2)
            colour = blue
            if min(d1, d2) < 3.5:
                colour = white
            if min(d1, d2) < 1.2:
                colour = red
            if dx < 5 or dy < 5:
                colour = white
            if dx < 3 or dy < 3:
                colour = red
            pixels[y][x] = colour
    return framed(pixels)


def globe():
    """A neutral flag for languages without their own: a grey globe on a pale field."""
    field, line = (236, 236, 230), (110, 120, 130)
    pixels = blank()
    cx, cy, r = SIZE / 2, (TOP + BOTTOM) / 2, 12.5
    for y in range(TOP, BOTTOM):
        for x in range(SIZE):
            px, py = x + 0.5 - cx, y + 0.5 - cy
            d = math.hypot(px, py)
            colour = field
            if d <= r:
                on_rim = d > r - 1.3
                on_equator = abs(py) < 0.7
                on_meridian = abs(px) < 0.7
                # two parallels and an ellipse meridian
                on_parallel = abs(abs(py) - r * 0.5) < 0.6
                ellipse = (px / (r * 0.5)) ** 2 + (py / r) ** 2
                on_ellipse = abs(ellipse - 1) < 0.12
                if on_rim or on_equator or on_meridian or on_parallel or on_ellipse:
                    colour = line
            pixels[y][x] = colour
    return framed(pixels)


def write_bmp(path, pixels):
    """A 24-bit uncompressed Windows bitmap, rows bottom-up as the format wants."""
    row_bytes = SIZE * 3  # 144, already a multiple of four
    image = bytearray()
    for y in reversed(range(SIZE)):
        for r, g, b in pixels[y]:
            image += bytes((b, g, r))
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(image), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, row_bytes * SIZE, 3780, 3780, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + image)


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "LANGUAGE")
    flags = {
        "English": union(),
        "Italiano": tricolour((0, 146, 70), (255, 255, 255), (206, 43, 55)),
        "Deutsch": horizontal((0, 0, 0), (221, 0, 0), (255, 206, 0)),
        "DefaultFlag": globe(),
    }
    for name, pixels in flags.items():
        write_bmp(os.path.join(folder, name + ".bmp"), pixels)


if __name__ == "__main__":
    main()
