#!/usr/bin/env python3
"""Writes the program icon "KVOICON" (kvoicon.ico): 48x48, 32x32 and 16x16 images, 16 colours with
an AND mask, which every Windows from 95 on can show. A system at 144 DPI loads the 48-pixel
image, which it would otherwise stretch from the 32-pixel one. The picture has four colours, so
16-colour images hold it exactly, in a quarter of the bytes of 24-bit ones. It is drawn here: a
blue archive box with a zip fastener and a white K."""
import struct
import sys

BLUE, DARK, WHITE, GOLD = (0x2E, 0x5E, 0xB8), (0x17, 0x2F, 0x6A), (0xFF, 0xFF, 0xFF), (0xF2, 0xC1, 0x2E)


def draw(n):
    """Returns rows (top first) of pixels, None for transparent."""
    s = n / 32.0
    px = [[None] * n for _ in range(n)]
    box = (int(3 * s), int(4 * s), n - int(3 * s), n - int(2 * s))  # x0, y0, x1, y1
    for y in range(box[1], box[3]):
        for x in range(box[0], box[2]):
            edge = x in (box[0], box[2] - 1) or y in (box[1], box[3] - 1)
            px[y][x] = DARK if edge else BLUE
    # The zip fastener down the middle.
    zx = n // 2
    for y in range(box[1] + 1, box[3] - 1):
        px[y][zx - 1] = GOLD if (y // max(1, int(2 * s))) % 2 else DARK
        px[y][zx] = DARK if (y // max(1, int(2 * s))) % 2 else GOLD
    # A K on the left half.
    kx, ky0, ky1 = box[0] + int(3 * s), box[1] + int(5 * s), box[3] - int(5 * s)
    w = max(1, int(2 * s))
    mid = (ky0 + ky1) // 2
    for y in range(ky0, ky1):
        for d in range(w):
            px[y][kx + d] = WHITE
        off = abs(y - mid)
        for d in range(w):
            x = kx + w + off * (zx - 2 - kx - w) // max(1, mid - ky0) + d
            if x < zx - 1:
                px[y][x] = WHITE
    return px


PALETTE = [(0, 0, 0), BLUE, DARK, WHITE, GOLD] + [(0, 0, 0)] * 11


def image(n):
    px = draw(n)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 4, 0, 0, 0, 0, 0, 0)
    colours = b"".join(bytes(c[::-1]) + b"\0" for c in PALETTE)  # RGBQUAD: blue, green, red, 0
    xor = b""
    for row in reversed(px):  # bottom-up, two pixels a byte, rows padded to 4 bytes
        index = [PALETTE.index(p) if p else 0 for p in row]
        line = bytes((index[i] << 4) | index[i + 1] for i in range(0, n, 2))
        xor += line + b"\0" * ((4 - len(line) % 4) % 4)
    mask = b""
    for row in reversed(px):
        bits = 0
        line = b""
        for i, p in enumerate(row):
            bits = (bits << 1) | (1 if p is None else 0)
            if i % 8 == 7:
                line += bytes((bits,))
                bits = 0
        mask += line + b"\0" * ((4 - len(line) % 4) % 4)
    return header + colours + xor + mask


def main(path):
    sizes = (48, 32, 16)
    images = [image(n) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n, n, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
