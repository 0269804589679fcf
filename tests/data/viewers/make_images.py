#!/usr/bin/env python3
"""Writes the pictures that fixture.rc compiles into fixture.dll: icons of
several sizes and depths, a cursor with a hotspot and bitmaps with every
common header (12-byte core, 40-byte with and without bit fields, 124-byte
V5). Each picture is a small deterministic pattern so tests can compare pixels.
"""
import struct


def pattern(x, y, w, h):
    """An RGB colour that varies along both axes."""
    return ((x * 255) // max(w - 1, 1), (y * 255) // max(h - 1, 1), ((x + y) * 7) & 0xFF)


def palette(bits):
    n = 1 << bits
    return [((i * 37) & 0xFF, (i * 91) & 0xFF, (i * 53) & 0xFF) for i in range(n)]


def rows_indexed(w, h, bits):
    """Bottom-up rows of palette indices packed at `bits` per pixel, padded to 4 bytes."""
    out = b""
    for y in range(h - 1, -1, -1):
        value, filled, row = 0, 0, bytearray()
        for x in range(w):
            index = (x + 3 * y) % (1 << bits)
            value = (value << bits) | index
            filled += bits
            if filled == 8:
                row.append(value)
                value, filled = 0, 0
        if filled:
            row.append(value << (8 - filled))
        while len(row) % 4:
            row.append(0)
        out += bytes(row)
    return out


def rows_rgb(w, h, bytes_per_pixel, alpha=False):
    out = b""
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = pattern(x, y, w, h)
            row += bytes((b, g, r))
            if bytes_per_pixel == 4:
                row.append(((x * 255) // max(w - 1, 1)) if alpha else 0xFF)
        while len(row) % 4:
            row.append(0)
        out += bytes(row)
    return out


def mask_rows(w, h):
    """AND mask: a transparent square in the top-left corner."""
    stride = ((w + 31) // 32) * 4
    out = b""
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if x < w // 4 and y < h // 4:
                row[x // 8] |= 0x80 >> (x % 8)
        out += bytes(row)
    return out


def info_header(w, h, bits, colours=0, size_image=0, compression=0):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, compression, size_image, 2835, 2835, colours, 0)


def icon_image(w, h, bits):
    """The DIB of one icon or cursor image: header with doubled height, colours, XOR and AND masks."""
    if bits <= 8:
        table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette(bits))
        xor = rows_indexed(w, h, bits)
    else:
        table = b""
        xor = rows_rgb(w, h, bits // 8, alpha=(bits == 32))
    andmask = mask_rows(w, h)
    return info_header(w, 2 * h, bits, size_image=len(xor) + len(andmask)) + table + xor + andmask


def write_icon_file(path, images, kind=1, hotspots=None):
    """An .ico (kind 1) or .cur (kind 2) file holding the given (w, h, bits) images."""
    blobs = [icon_image(w, h, bits) for w, h, bits in images]
    head = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for i, ((w, h, bits), blob) in enumerate(zip(images, blobs)):
        colours = (1 << bits) if bits < 8 else 0
        if kind == 1:
            p1, p2 = 1, bits
        else:
            p1, p2 = hotspots[i]
        entries += struct.pack("<BBBBHHII", w & 0xFF, h & 0xFF, colours & 0xFF, 0, p1, p2, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(head + entries + b"".join(blobs))


def write_bmp(path, header, table, pixels):
    offset = 14 + len(header) + len(table)
    body = header + table + pixels
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, offset) + body)


def main():
    write_icon_file("app.ico", [(16, 16, 4), (32, 32, 8), (48, 48, 32)])
    write_icon_file("small.ico", [(32, 32, 1)])
    write_icon_file("pointer.cur", [(32, 32, 1)], kind=2, hotspots=[(5, 9)])

    # 8-bit, colour count 0: the full 256-entry table (pixels at 1078).
    w, h = 20, 10
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette(8))
    pixels = rows_indexed(w, h, 8)
    write_bmp("bmp8.bmp", info_header(w, h, 8, size_image=len(pixels)), table, pixels)

    # 24-bit: no table (pixels at 54).
    w, h = 13, 7
    pixels = rows_rgb(w, h, 3)
    write_bmp("bmp24.bmp", info_header(w, h, 24, size_image=len(pixels)), b"", pixels)

    # 4-bit with a 12-byte core header and a 3-byte table.
    w, h = 9, 5
    table = b"".join(bytes((b, g, r)) for r, g, b in palette(4))
    pixels = rows_indexed(w, h, 4)
    write_bmp("core4.bmp", struct.pack("<IHHHH", 12, w, h, 1, 4), table, pixels)

    # 16-bit 5-6-5 with a 40-byte header and three masks after it (BI_BITFIELDS).
    w, h = 6, 4
    rows = b""
    for y in range(h - 1, -1, -1):
        row = b"".join(struct.pack("<H", ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))
                       for r, g, b in (pattern(x, y, w, h) for x in range(w)))
        rows += row + b"\0" * (-len(row) % 4)
    masks = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    write_bmp("bf16.bmp", info_header(w, h, 16, size_image=len(rows), compression=3), masks, rows)

    # 32-bit with a 124-byte V5 header (masks inside the header).
    w, h = 5, 3
    pixels = rows_rgb(w, h, 4, alpha=True)
    v5 = struct.pack("<IiiHHIIiiII", 124, w, h, 1, 32, 3, len(pixels), 2835, 2835, 0, 0)
    v5 += struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    v5 += b"BGRs" + b"\0" * 36 + struct.pack("<III", 0, 0, 0) + struct.pack("<IIII", 4, 0, 0, 0)
    assert len(v5) == 124
    write_bmp("v5.bmp", v5, b"", pixels)

    with open("raw.bin", "wb") as f:
        f.write(bytes(range(256)) + b"\x00\x01\x7f\x80\xff")


main()
