#!/usr/bin/env python3
# Writes the pictures of the drive bars and the tool bar as 16 x 16 PNG files
# with a transparent background: B_FLOPPY, B_HDD, B_CDROM, B_NETWork (one per
# drive kind) and the eight tool-bar buttons TB_HELP ... TB_RESEXPLORER.
# The artwork is drawn here from rectangles, lines and circles; plain python3
# (zlib, struct). Run it in this folder to make them again.
import struct
import zlib

SIZE = 16
CLEAR = (0, 0, 0, 0)
BLACK = (0, 0, 0, 255)
INK = (40, 40, 40, 255)
WHITE = (255, 255, 255, 255)
SILVER = (192, 192, 192, 255)
PEARL = (235, 235, 245, 255)
GREY = (128, 128, 128, 255)
DARK = (64, 64, 64, 255)
NAVY = (20, 40, 140, 255)
BLUE = (40, 90, 220, 255)
SKY = (120, 180, 255, 255)
GREEN = (30, 170, 60, 255)
LIME = (0, 255, 0, 255)
YELLOW = (250, 220, 40, 255)
PAPER = (255, 252, 230, 255)
BROWN = (150, 95, 40, 255)
RED = (210, 40, 40, 255)


class Picture:
    def __init__(self):
        self.pixels = [[CLEAR] * SIZE for _ in range(SIZE)]

    def dot(self, x, y, colour):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            self.pixels[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        # Inclusive corners.
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.dot(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.dot(x, y0, colour)
            self.dot(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.dot(x0, y, colour)
            self.dot(x1, y, colour)

    def line(self, x0, y0, x1, y1, colour):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.dot(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), colour)

    def disc(self, cx, cy, radius, colour):
        for y in range(SIZE):
            for x in range(SIZE):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                    self.dot(x, y, colour)

    def ring(self, cx, cy, radius, colour):
        for y in range(SIZE):
            for x in range(SIZE):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if radius - 0.5 <= d < radius + 0.5:
                    self.dot(x, y, colour)

    def glyph(self, x0, y0, rows, colour):
        for dy, row in enumerate(rows):
            for dx, c in enumerate(row):
                if c == "#":
                    self.dot(x0 + dx, y0 + dy, colour)

    def save(self, path):
        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        raw = b"".join(b"\0" + bytes(sum((list(p) for p in row), [])) for row in self.pixels)
        data = b"\x89PNG\r\n\x1a\n"
        data += chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
        data += chunk(b"IDAT", zlib.compress(raw, 9))
        data += chunk(b"IEND", b"")
        with open(path, "wb") as out:
            out.write(data)


def floppy(p):
    p.fill(1, 1, 14, 14, NAVY)
    p.frame(1, 1, 14, 14, BLACK)
    p.fill(4, 1, 11, 5, SILVER)
    p.fill(8, 2, 9, 4, DARK)
    p.fill(3, 8, 12, 14, WHITE)
    for y in (10, 12):
        p.line(4, y, 11, y, GREY)
    p.dot(2, 13, BLACK)


def hdd(p):
    p.fill(0, 5, 15, 11, SILVER)
    p.frame(0, 5, 15, 11, INK)
    p.line(1, 6, 14, 6, WHITE)
    p.line(1, 10, 14, 10, GREY)
    p.fill(11, 8, 12, 8, LIME)
    p.line(2, 8, 8, 8, GREY)


def cdrom(p):
    p.disc(7.5, 7.5, 7, PEARL)
    p.ring(7.5, 7.5, 7, DARK)
    p.disc(5, 5, 2, WHITE)
    p.line(9, 11, 12, 8, SKY)
    p.line(10, 12, 13, 9, YELLOW)
    p.disc(7.5, 7.5, 2, CLEAR)
    p.ring(7.5, 7.5, 2.2, GREY)


def network(p):
    p.fill(1, 1, 14, 7, SILVER)
    p.frame(1, 1, 14, 7, INK)
    p.line(2, 2, 13, 2, WHITE)
    p.fill(11, 4, 12, 4, LIME)
    p.line(7, 8, 7, 11, INK)
    p.line(1, 12, 14, 12, INK)
    for x in (2, 7, 12):
        p.fill(x - 1, 13, x + 1, 15, BLUE)


def help_(p):
    p.disc(7.5, 7.5, 7.3, BLUE)
    p.glyph(5, 3, [".####.", "##..##", "....##", "...##.", "..##..", "..##..", "......", "..##..", "..##.."],
            WHITE)


def editor(p):
    p.fill(2, 1, 11, 14, WHITE)
    p.frame(2, 1, 11, 14, INK)
    for y in (4, 6, 8, 10):
        p.line(4, y, 9, y, BLUE)
    p.line(8, 13, 14, 7, YELLOW)
    p.line(9, 14, 15, 8, BROWN)
    p.dot(8, 14, BLACK)


def sysinfo(p):
    p.fill(1, 1, 14, 11, SILVER)
    p.frame(1, 1, 14, 11, INK)
    p.fill(3, 3, 12, 9, NAVY)
    p.glyph(7, 3, ["##", "..", "##", "##", "##", "##"], WHITE)
    p.fill(5, 12, 10, 12, GREY)
    p.fill(3, 13, 12, 14, SILVER)
    p.frame(3, 13, 12, 14, INK)


def internet(p):
    p.disc(7.5, 7.5, 7.3, BLUE)
    p.fill(3, 4, 6, 7, GREEN)
    p.fill(4, 8, 5, 11, GREEN)
    p.fill(9, 3, 12, 5, GREEN)
    p.fill(9, 9, 12, 12, GREEN)
    p.ring(7.5, 7.5, 7.3, NAVY)


def clipboard(p):
    p.fill(2, 2, 13, 15, BROWN)
    p.fill(4, 4, 11, 14, PAPER)
    p.fill(5, 0, 10, 3, SILVER)
    p.frame(5, 0, 10, 3, INK)
    for y in (7, 9, 11):
        p.line(5, y, 10, y, GREY)


def cdplayer(p):
    p.disc(6.5, 6.5, 6, PEARL)
    p.ring(6.5, 6.5, 6, DARK)
    p.disc(6.5, 6.5, 1.5, CLEAR)
    # A play sign over the disc's lower right.
    for x in range(8, 16):
        half = (15 - x) * 4 // 7
        p.line(x, 11 - half, x, 11 + half, GREEN)
    p.line(8, 7, 15, 11, INK)
    p.line(8, 15, 15, 11, INK)
    p.line(8, 7, 8, 15, INK)


def calculator(p):
    p.fill(2, 0, 13, 15, DARK)
    p.fill(4, 2, 11, 4, (170, 200, 150, 255))
    for row in range(3):
        for col in range(3):
            p.fill(4 + col * 3, 6 + row * 3, 5 + col * 3, 7 + row * 3, SILVER)
    p.fill(10, 12, 11, 13, RED)


def resexplorer(p):
    p.fill(1, 0, 10, 13, WHITE)
    p.frame(1, 0, 10, 13, INK)
    for y in (3, 5):
        p.line(3, y, 8, y, GREY)
    p.disc(8, 8, 3.3, SKY)
    p.ring(8, 8, 3.3, INK)
    p.line(10, 11, 14, 15, BROWN)
    p.line(11, 11, 15, 15, BROWN)


PICTURES = {
    "B_FLOPPY": floppy,
    "B_HDD": hdd,
    "B_CDROM": cdrom,
    "B_NETWork": network,
    "TB_HELP": help_,
    "TB_EXTEDITOR": editor,
    "TB_SYSINFO": sysinfo,
    "TB_INTERNET": internet,
    "TB_CLIPBOARD": clipboard,
    "TB_CDPLAYER": cdplayer,
    "TB_CALCULATOR": calculator,
    "TB_RESEXPLORER": resexplorer,
}

if __name__ == "__main__":
    for name, draw in PICTURES.items():
        picture = Picture()
        draw(picture)
        picture.save(name + ".png")
