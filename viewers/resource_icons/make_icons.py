#!/usr/bin/env python3
# Writes the resource explorer's image lists: six small (16 x 16) and six
# large (32 x 32) PNG icons in the tree's index order: 0 closed list, 1 open
# list, 2 generic resource, 3 icon image, 4 cursor image, 5 bitmap.
# Plain python3 (zlib, struct); run it here to make them again.
import struct
import zlib


def png(path, size, pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + bytes(sum((list(p) for p in row), [])) for row in pixels)
    data = b"\x89PNG\r\n\x1a\n"
    data += chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(raw, 9))
    data += chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(data)


CLEAR = (0, 0, 0, 0)
INK = (40, 40, 40, 255)


def draw(index, n):
    s = n / 16.0
    img = [[CLEAR] * n for _ in range(n)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                img[y][x] = colour

    def frame(x0, y0, x1, y1):
        for x in range(int(x0 * s), int(x1 * s)):
            img[int(y0 * s)][x] = INK
            img[int(y1 * s) - 1][x] = INK
        for y in range(int(y0 * s), int(y1 * s)):
            img[y][int(x0 * s)] = INK
            img[y][int(x1 * s) - 1] = INK

    if index in (0, 1):
        rect(1, 3, 7, 5, (200, 160, 40, 255))
        rect(1, 4, 15, 14, (240, 200, 60, 255) if index == 0 else (250, 230, 140, 255))
        frame(1, 4, 15, 14)
        if index == 1:
            rect(3, 7, 15, 14, (255, 240, 170, 255))
            frame(3, 7, 15, 14)
    else:
        rect(3, 1, 13, 15, (255, 255, 255, 255))
        frame(3, 1, 13, 15)
        if index == 2:
            for y in (4, 7, 10):
                rect(5, y, 11, y + 1, (120, 120, 120, 255))
        elif index == 3:
            rect(5, 4, 11, 10, (40, 90, 220, 255))
            rect(7, 6, 9, 8, (255, 220, 0, 255))
        elif index == 4:
            for k in range(7):
                rect(5, 3 + k, 6 + k * 0.8, 4 + k, INK)
        else:
            rect(5, 4, 8, 8, (220, 40, 40, 255))
            rect(8, 4, 11, 8, (40, 180, 40, 255))
            rect(5, 8, 11, 12, (40, 90, 220, 255))
    return img


for index in range(6):
    png("small%d.png" % index, 16, draw(index, 16))
    png("large%d.png" % index, 32, draw(index, 32))
