#!/usr/bin/env python3
"""Writes the two tray icons, black with a square, white in the first, green in the
second. Each holds the first 32 x 32 image in 16 colours (the square at columns 6-25
and rows 5-25 from the top) and images of 16, 20, 24 and 32 pixels in 32-bit colour
for the small-icon sizes of 100 % to 200 % display scaling. Those are PNG-compressed,
as Windows reads icon images since Vista: uncompressed they would add 19 KB to the exe."""
import struct
import sys
import zlib
from pathlib import Path

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
# Size: the square's first and last column and row, from the top left.
SQUARES = {16: (3, 2, 12, 12), 20: (4, 3, 15, 15), 24: (5, 4, 19, 19), 32: (6, 5, 25, 25)}


def inside(size, x, y):
    x0, y0, x1, y1 = SQUARES[size]
    return x0 <= x <= x1 and y0 <= y <= y1


def dib(pixel):
    """The 32 x 32 16-colour DIB: header, palette, rows bottom-up, an all-opaque mask."""
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in VGA)
    return header + palette + b''.join(pixel(y) for y in reversed(range(32))) + bytes(32 * 32 // 8)


def png(size, pixel):
    """An opaque RGBA PNG, rows top-down."""
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    rows = b''.join(b'\0' + pixel(y) for y in range(size))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(rows, 9)) + chunk(b'IEND', b''))


def icon(square_index):
    r, g, b = VGA[square_index]
    images = [(32, 16, 4, dib(lambda y: bytes(
        ((square_index if inside(32, x, y) else 0) << 4) | (square_index if inside(32, x + 1, y) else 0)
        for x in range(0, 32, 2))))]
    for size in (16, 20, 24, 32):
        images.append((size, 0, 32, png(size, lambda y, size=size: b''.join(
            bytes((r, g, b, 255)) if inside(size, x, y) else b'\0\0\0\xff' for x in range(size)))))
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, colours, bits, data in images:
        directory += struct.pack('<BBBBHHII', size, size, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    return directory + b''.join(data for *_, data in images)


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / 'res')
    (out / 'tray1.ico').write_bytes(icon(15))  # white: not connected
    (out / 'tray2.ico').write_bytes(icon(10))  # #00FF00: connected


if __name__ == '__main__':
    main()
