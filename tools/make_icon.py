#!/usr/bin/env python3
"""Writes the program icon "KVOICON" (kvoicon.ico): 32x32 and 16x16 images, 24-bit colour with
an AND mask, which every Windows from 95 on can show. The picture is drawn here: a blue archive
box with a zip fastener and a white K."""
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


def image(n):
    px = draw(n)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 24, 0, 0, 0, 0, 0, 0)
    xor = b""
    for row in reversed(px):  # bottom-up
        line = b"".join(bytes((p or (0, 0, 0))[::-1]) for p in row)
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
    return header + xor + mask


def main(path):
    sizes = (32, 16)
    images = [image(n) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 24, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
