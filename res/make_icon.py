#!/usr/bin/env python3
"""Draws tarnwick.ico: a page of text with a red "blocked" mark, as a 32x32
and a 16x16 image with 16 colours each (the standard VGA palette)."""
import struct
import sys

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREY, SILVER, RED, BLUE, WHITE = 0, 8, 7, 9, 4, 15


def draw(size):
    """Returns rows (top first) of palette indexes, None for transparent."""
    s = size / 32.0
    px = [[None] * size for _ in range(size)]
    left, right, top, bottom, fold = round(5 * s), round(24 * s), round(2 * s), round(29 * s), round(6 * s)
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if x - (right - fold) > y - top:  # the folded corner is cut off
                continue
            edge = x in (left, right) or y in (top, bottom) or x - (right - fold) == y - top
            px[y][x] = BLACK if edge else WHITE
    for y in range(top, top + fold + 1):  # the fold itself
        x = right - fold
        px[y][x] = BLACK
    for i in range(fold + 1):
        px[top + fold][right - fold + i] = BLACK
    for line in range(4):  # lines of text
        y = round((9 + 4 * line) * s)
        for x in range(left + round(3 * s), right - round(3 * s)):
            if y < bottom:
                px[y][x] = BLUE if line % 2 == 0 else GREY
    cx, cy, r = 21.5 * s, 21.5 * s, 9.5 * s  # a red circle with a bar
    for y in range(size):
        for x in range(size):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            d = (dx * dx + dy * dy) ** 0.5
            if r - 2.6 * s <= d <= r:
                px[y][x] = RED
            elif d < r - 2.6 * s:
                if abs(dx - dy) <= 1.9 * s:
                    px[y][x] = RED
                elif px[y][x] is None:
                    px[y][x] = WHITE
    return px


def image(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor, mask = b'', b''
    for row in reversed(px):  # bottom-up
        bits = bytearray(xor_stride)
        mbits = bytearray(and_stride)
        for x, c in enumerate(row):
            if c is None:
                mbits[x // 8] |= 0x80 >> (x % 8)
                c = 0
            bits[x // 2] |= c << (4 if x % 2 == 0 else 0)
        xor += bytes(bits)
        mask += bytes(mbits)
    return header + palette + xor + mask


def main(path):
    images = [(32, image(32)), (16, image(16))]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, data in images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'tarnwick.ico')
