#!/usr/bin/env python3
"""Writes an ARC archive whose members use the methods no tool here writes:
1 (old stored), 3 (run-length only), 5, 6 and 7 (12-bit LZW over a hashed
table). Usage: make_arc.py OUT.arc METHOD FILE... ; check the result with
`nomarch -t` before keeping it."""
import struct
import sys
from pathlib import Path

MARKER = 0x90


def crc16(data):
    crc = 0
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def run_length(data):
    out = bytearray()
    i = 0
    while i < len(data):
        byte = data[i]
        run = 1
        while i + run < len(data) and data[i + run] == byte and run < 255:
            run += 1
        if byte == MARKER:
            out += bytes([MARKER, 0]) * run
        elif run >= 3:
            out += bytes([byte, MARKER, run])
        else:
            out += bytes([byte]) * run
        i += run
    return bytes(out)


class HashedTable:
    """The 4096-slot table of methods 5-7: an entry sits at the hash of
    (prefix, byte); a taken slot sends it past the end of that slot's chain,
    101 slots on, then to the next free one."""

    def __init__(self, newer_hash):
        self.newer = newer_hash
        self.used = [False] * 4096
        self.chain = [0] * 4096
        self.entries = 0
        self.slots = {}
        for byte in range(256):
            self.add(0xFFFF, byte)

    def hash(self, prefix, byte):
        total = (prefix + byte) & 0xFFFF
        if self.newer:
            return (total * 15073) & 0xFFF
        square = (total | 0x0800) ** 2
        return (square >> 6) & 0xFFF

    def add(self, prefix, byte):
        slot = self.hash(prefix, byte)
        if self.used[slot]:
            last = slot
            while self.chain[last]:
                last = self.chain[last]
            slot = (last + 101) & 0xFFF
            while self.used[slot]:
                slot = (slot + 1) & 0xFFF
            self.chain[last] = slot
        self.used[slot] = True
        self.chain[slot] = 0
        self.slots[(prefix, byte)] = slot
        self.entries += 1


def lzw12(data, newer_hash):
    table = HashedTable(newer_hash)
    codes = []
    if data:
        current = table.slots[(0xFFFF, data[0])]
        for byte in data[1:]:
            longer = table.slots.get((current, byte))
            if longer is not None:
                current = longer
                continue
            codes.append(current)
            if table.entries < 4096:
                table.add(current, byte)
            current = table.slots[(0xFFFF, byte)]
        codes.append(current)
    out = bytearray()
    for i in range(0, len(codes), 2):
        if i + 1 < len(codes):
            a, b = codes[i], codes[i + 1]
            out += bytes([a >> 4, (a & 15) << 4 | b >> 8, b & 0xFF])
        else:
            out += bytes([codes[i] >> 4, (codes[i] & 15) << 4])
    return bytes(out)


def pack(method, data):
    if method == 1:
        return data
    if method == 3:
        return run_length(data)
    if method == 5:
        return lzw12(data, False)
    if method == 6:
        return lzw12(run_length(data), False)
    if method == 7:
        return lzw12(run_length(data), True)
    raise SystemExit("method %d is not made here" % method)


def main():
    out, method, files = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    archive = bytearray()
    for name in files:
        data = Path(name).read_bytes()
        packed = pack(method, data)
        title = Path(name).name.upper().encode()[:12].ljust(13, b"\0")
        date, time = 0x5B29, 0x6000
        archive += bytes([0x1A, method]) + title + struct.pack("<IHHH", len(packed), date, time, crc16(data))
        if method != 1:
            archive += struct.pack("<I", len(data))
        archive += packed
    archive += bytes([0x1A, 0])
    Path(out).write_bytes(archive)


main()
