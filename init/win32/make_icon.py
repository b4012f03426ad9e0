#!/usr/bin/env python3
"""Draws the initialiser's icon: a globe with a map pin, as one .ico file with three images
(32x32 in 2 colours, 32x32 in 16 colours, 16x16 in 16 colours).

    make_icon.py OUTPUT.ico

The pictures are computed, so the artwork lives in this file and the build makes the icon."""
import math
import struct
import sys

# The standard 16-colour palette, as RGB.
PALETTE16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREEN, NAVY, SILVER, RED, LIME, BLUE, AQUA, WHITE = 0, 2, 4, 7, 9, 10, 12, 14, 15
CLEAR = None


def land(u, v):
    """True where the globe shows land; u, v in -1..1 across the disc."""
    blobs = [(-0.35, -0.30, 0.42), (0.30, 0.25, 0.30), (0.05, 0.55, 0.22), (0.50, -0.45, 0.16)]
    return any((u - x) ** 2 + (v - y) ** 2 < r * r for x, y, r in blobs)


def picture(size, colours):
    """Rows of palette indices (None is transparent), top row first."""
    rows = []
    centre = (size - 1) / 2.0
    radius = size * 0.40
    pin_x, pin_y = size * 0.70, size * 0.30  # the pin's head, up and right of the centre
    head = size * 0.15
    for y in range(size):
        row = []
        for x in range(size):
            dx, dy = x - centre + size * 0.06, y - centre + size * 0.06
            d = math.hypot(dx, dy)
            pixel = CLEAR
            if d <= radius:
                u, v = dx / radius, dy / radius
                if colours == 2:
                    pixel = BLACK if d > radius - 1.2 or land(u, v) else WHITE
                else:
                    pixel = GREEN if land(u, v) else BLUE
                    # A meridian and the equator, faintly.
                    if size >= 32 and (abs(dx) < 0.5 or abs(dy) < 0.5):
                        pixel = AQUA if pixel == BLUE else LIME
                    if d > radius - 1.0:
                        pixel = NAVY
            # The pin: a round head and a point down to the globe.
            hx, hy = x - pin_x, y - pin_y
            in_head = math.hypot(hx, hy) <= head
            stem = 0 <= hy <= head * 2.6 and abs(hx) <= head * (1 - hy / (head * 2.6))
            if in_head or stem:
                if colours == 2:
                    pixel = BLACK if math.hypot(hx, hy) > head * 0.45 or not in_head else WHITE
                else:
                    pixel = WHITE if in_head and math.hypot(hx + head * 0.35, hy + head * 0.35) < head * 0.35 else RED
            row.append(pixel)
        rows.append(row)
    return rows


def dib(rows, bits):
    """The icon image: header, palette, colour bits and transparency mask, rows bottom-up."""
    size = len(rows)
    palette = [(0, 0, 0), (255, 255, 255)] if bits == 1 else PALETTE16
    index = (lambda p: 0 if p in (CLEAR, BLACK) else 1) if bits == 1 else (lambda p: 0 if p is CLEAR else p)

    def packed(values, bits_per_pixel):
        stride = ((size * bits_per_pixel + 31) // 32) * 4
        out = bytearray(stride)
        for i, value in enumerate(values):
            bit = i * bits_per_pixel
            out[bit // 8] |= value << (8 - bits_per_pixel - bit % 8)
        return bytes(out)

    colour = b"".join(packed([index(p) for p in row], bits) for row in reversed(rows))
    mask = b"".join(packed([1 if p is CLEAR else 0 for p in row], 1) for row in reversed(rows))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(colour) + len(mask), 0, 0, 0, 0)
    quads = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + quads + colour + mask


def main():
    images = [(32, 2, 1), (32, 16, 4), (16, 16, 4)]
    blobs = [dib(picture(size, colours), bits) for size, colours, bits in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, colours, bits), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    out += b"".join(blobs)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
