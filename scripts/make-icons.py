#!/usr/bin/env python3
"""Writes the two tray icons: 32 x 32, 16 colours, black with a square at
columns 6-25 and rows 5-25 (from the top), white in the first, green in the second."""
import struct
import sys
from pathlib import Path

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
SIZE = 32


def icon(square_index):
    pixels = [[square_index if 6 <= x <= 25 and 5 <= y <= 25 else 0 for x in range(SIZE)]
              for y in range(SIZE)]
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in VGA)
    xor = b''
    for y in reversed(range(SIZE)):  # bottom-up rows
        row = pixels[y]
        xor += bytes((row[x] << 4) | row[x + 1] for x in range(0, SIZE, 2))
    mask = bytes(SIZE * SIZE // 8)  # every pixel opaque
    image = header + palette + xor + mask
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / 'res')
    (out / 'tray1.ico').write_bytes(icon(15))  # white: not connected
    (out / 'tray2.ico').write_bytes(icon(10))  # #00FF00: connected


if __name__ == '__main__':
    main()
