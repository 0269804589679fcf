#!/usr/bin/env python3
"""Hostile ZIP directories for the extractor's refusal rules.

  make_zip_hostile.py OUTDIR
    zip_overlap_bomb.zip   one deflated 1 MiB member and 50 central entries
                           whose local-header offsets all point at it: an
                           extractor that trusts the directory writes 50 MiB
    zip_cut_directory.zip  two stored members; the second central record's
                           signature is broken, so the directory ends one
                           record before the count its end record declares
"""
import os
import struct
import sys
import zlib

DOS_TIME = (12 << 11) | (34 << 5) | (56 // 2)
DOS_DATE = ((2024 - 1980) << 9) | (3 << 5) | 15


def local(name, method, crc, packed, unpacked):
    return struct.pack('<IHHHHHIIIHH', 0x04034B50, 20, 0, method, DOS_TIME, DOS_DATE, crc, packed, unpacked,
                       len(name), 0) + name


def central(name, method, crc, packed, unpacked, offset):
    return struct.pack('<IHHHHHHIIIHHHHHII', 0x02014B50, 20, 20, 0, method, DOS_TIME, DOS_DATE, crc, packed,
                       unpacked, len(name), 0, 0, 0, 0, 0x20, offset) + name


def end(count, size, offset):
    return struct.pack('<IHHHHIIH', 0x06054B50, 0, 0, count, count, size, offset, 0)


def overlap_bomb():
    data = bytes(1 << 20)
    packer = zlib.compressobj(9, zlib.DEFLATED, -15)
    packed = packer.compress(data) + packer.flush()
    crc = zlib.crc32(data)
    body = local(b'bomb.bin', 8, crc, len(packed), len(data)) + packed
    directory = b''.join(central(b'bomb%02d.bin' % i, 8, crc, len(packed), len(data), 0) for i in range(50))
    return body + directory + end(50, len(directory), len(body))


def cut_directory():
    members = [(b'hello.txt', b'Hello, archive!\n'), (b'second.txt', b'the record of this one is damaged\n')]
    body = b''
    records = []
    for name, data in members:
        crc = zlib.crc32(data)
        records.append(central(name, 0, crc, len(data), len(data), len(body)))
        body += local(name, 0, crc, len(data), len(data)) + data
    records[1] = b'PK\x01\x00' + records[1][4:]
    directory = b''.join(records)
    return body + directory + end(2, len(directory), len(body))


def main():
    out = sys.argv[1]
    for name, data in (('zip_overlap_bomb.zip', overlap_bomb()), ('zip_cut_directory.zip', cut_directory())):
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
