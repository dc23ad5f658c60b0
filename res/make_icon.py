#!/usr/bin/env python3
"""Draws tarnwick.ico: a page of text with a red "blocked" mark, with 16
colours (the standard VGA palette), at every size that Windows asks for from
100 % to 200 % display scale: the small icon of the title bar (16, 20, 24,
32), the big icon of the taskbar, Alt+Tab and the About box (32, 40, 48, 64);
and at 256 (stored as PNG, as Windows Vista and later read it) for Explorer's
largest views and the scales above 200 %."""
import struct
import sys
import zlib

SIZES = [16, 20, 24, 32, 40, 48, 64]
PNG_SIZE = 256

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREY, SILVER, RED, BLUE, WHITE = 0, 8, 7, 9, 4, 15


def draw(size):
    """Returns rows (top first) of palette indexes, None for transparent."""
    s = size / 32.0
    t = max(1, round(s))  # the width of the page's lines: one pixel up to 40x40
    px = [[None] * size for _ in range(size)]
    left, right, top, bottom, fold = round(5 * s), round(24 * s), round(2 * s), round(29 * s), round(6 * s)
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if x - (right - fold) > y - top:  # the folded corner is cut off
                continue
            edge = (x - left < t or right - x < t or y - top < t or bottom - y < t
                    or 0 <= (y - top) - (x - (right - fold)) < t)
            px[y][x] = BLACK if edge else WHITE
    for y in range(top, top + fold + 1):  # the fold itself
        for x in range(right - fold, right - fold + t):
            px[y][x] = BLACK
    for i in range(fold + 1):
        for y in range(top + fold - t + 1, top + fold + 1):
            px[y][right - fold + i] = BLACK
    for line in range(4):  # lines of text
        y0 = round((9 + 4 * line) * s)
        for y in range(y0, y0 + t):
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


def png_image(size):
    """The same drawing as a 32-bit PNG with transparency."""
    px = draw(size)
    raw = b''
    for row in px:  # top-down, each row after a filter byte of 0
        raw += b'\0' + b''.join(bytes(PALETTE[c]) + b'\xff' if c is not None else b'\0\0\0\0' for c in row)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)
    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')


def main(path):
    # Largest first, as icon editors write them; Windows picks by size.
    images = [(PNG_SIZE, png_image(PNG_SIZE), 0, 32)]
    images += [(size, image(size), 16, 4) for size in reversed(SIZES)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data, colours, bits in images:
        # A size of 256 is written as 0.
        out += struct.pack('<BBBBHHII', size % 256, size % 256, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, data, _, _ in images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'tarnwick.ico')
