#!/usr/bin/python3
"""Draws the report's logo mark ("TQ K4" on a navy band) and writes it as a
PNG with nothing but the standard library, so the image in assets/ can be
rebuilt from source.

Usage: make_logo.py [output.png]   (default: assets/TQLogo.png next to this script's folder)
"""
import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 330, 60
NAVY = (20, 42, 92)
WHITE = (255, 255, 255)
AMBER = (242, 169, 0)

# 5x7 glyphs, one string per row, '#' = ink.
GLYPHS = {
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    " ": ["....."] * 7,
}
SCALE = 6
GLYPH_GAP = 2  # in glyph pixels


def draw():
    pixels = [[NAVY] * WIDTH for _ in range(HEIGHT)]
    # An amber rule under the lettering.
    for y in range(HEIGHT - 8, HEIGHT - 4):
        for x in range(12, WIDTH - 12):
            pixels[y][x] = AMBER
    text = "TQ K4"
    text_width = (len(text) * (5 + GLYPH_GAP) - GLYPH_GAP) * SCALE
    left = (WIDTH - text_width) // 2
    top = (HEIGHT - 8 - 7 * SCALE) // 2
    for index, char in enumerate(text):
        origin = left + index * (5 + GLYPH_GAP) * SCALE
        for gy, line in enumerate(GLYPHS[char]):
            for gx, mark in enumerate(line):
                if mark != "#":
                    continue
                for y in range(top + gy * SCALE, top + (gy + 1) * SCALE):
                    for x in range(origin + gx * SCALE, origin + (gx + 1) * SCALE):
                        pixels[y][x] = WHITE
    return pixels


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_bytes(pixels):
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in pixels)
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0)  # 8-bit RGB
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main():
    default = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets", "TQLogo.png")
    target = sys.argv[1] if len(sys.argv) > 1 else default
    with open(target, "wb") as out:
        out.write(png_bytes(draw()))
    print(f"wrote {os.path.normpath(target)}")


if __name__ == "__main__":
    main()
