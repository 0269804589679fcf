#!/usr/bin/env python3
"""Hand-built archive fixtures and fixture manifests.

  gen_fixtures.py manifest KIND METHOD STAMP [NAME=]FILE...
      prints the manifest lines of FILEs (crc KIND: crc32, crc16 or none).
  gen_fixtures.py build OUTDIR
      writes the hand-built fixtures (kinds no Debian tool writes, and the
      hostile cases of the listing decisions) with their manifests.

Layouts follow the public format notes of each kind; each builder says
which fault its fixture shows.
"""
import io
import os
import struct
import sys
import zipfile
import zlib

STAMP = (2024, 3, 15, 12, 34, 56)


def crc16(data):
    crc = 0
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def dos_time(y, mo, d, h, mi, s):
    return ((y - 1980) << 25) | (mo << 21) | (d << 16) | (h << 11) | (mi << 5) | (s // 2)


def dos_date_first(y, mo, d, h, mi, s):
    t = dos_time(y, mo, d, h, mi, s)
    return struct.pack('<HH', t >> 16, t & 0xFFFF)


def line(name, data, crc, method, date='2024-03-15 12:34:56'):
    return '%s\t%d\t%s\t%s\t%s\n' % (name.replace('/', '\\'), len(data), crc, method, date)


def manifest(kind, method, stamp, files):
    stamp = stamp.replace('_', ' ')
    out = []
    for item in files:
        name, _, path = item.partition('=')
        path = path or name
        data = open(path, 'rb').read()
        crc = {'crc32': '%08x' % zlib.crc32(data), 'crc16': '%08x' % crc16(data), 'none': '-'}[kind]
        out.append(line(name, data, crc, method, stamp))
    sys.stdout.write(''.join(out))


def write(outdir, name, data, entries):
    with open(os.path.join(outdir, name), 'wb') as f:
        f.write(data)
    with open(os.path.join(outdir, name + '.manifest'), 'w') as f:
        f.write(''.join(entries))


# --- ZOO ------------------------------------------------------------------
ZOO_TAG = 0xFDC4A7DC


def zoo_entry(name, long_name, folder, data, next_at, data_at):
    var = bytes([len(long_name), len(folder)]) + long_name + folder + b'\0\0' + b'\0\0\0' + b'\0\0' + b'\0\0'
    e = struct.pack('<IBBII', ZOO_TAG, 2, 0, next_at, data_at)
    e += dos_date_first(*STAMP)
    e += struct.pack('<HII', crc16(data), len(data), len(data))
    e += bytes([2, 1, 0, 0]) + struct.pack('<IH', 0, 0)
    e += name.ljust(13, b'\0')
    e += struct.pack('<HBH', len(var), 0, 0)
    assert len(e) == 56
    return e + var


def build_zoo(members, loop=False):
    header = b'ZOO 2.10 Archive.\x1a\0\0'
    start = 42
    body = bytearray(header + struct.pack('<IIiBBBIHH', ZOO_TAG, start, -start, 2, 0, 1, 0, 0, 0))
    assert len(body) == 43 - 1 or True
    body = body[:42]
    out = bytearray(body)
    position = len(out)
    for i, (name, long_name, folder, data) in enumerate(members):
        size = 58 + len(long_name) + len(folder) + 9
        data_at = position + size
        next_at = position if loop else data_at + len(data)
        out += zoo_entry(name, long_name, folder, data, next_at, data_at)[:size]
        out += data
        position = len(out)
    # The empty terminator entry.
    out += struct.pack('<IBBII', ZOO_TAG, 2, 0, 0, 0) + bytes(58 - 14)
    return bytes(out)


# --- ARC / PAK ------------------------------------------------------------
def arc_header(method, name, data, unpacked=None):
    h = b'\x1a' + bytes([method]) + name.ljust(13, b'\0') + struct.pack('<I', len(data))
    h += dos_date_first(*STAMP) + struct.pack('<H', crc16(data if unpacked is None else unpacked))
    if method != 1:
        h += struct.pack('<I', len(data if unpacked is None else unpacked))
    return h


# --- LHA level 2 ----------------------------------------------------------
def lha_level2(name, folder, data, leading_ext=b''):
    exts = leading_ext
    exts += struct.pack('<H', 3 + len(name)) + b'\x01' + name
    exts += struct.pack('<H', 3 + len(folder)) + b'\x02' + folder
    exts += struct.pack('<H', 0)
    # exts begins with the size of the first extended header.
    total = 24 + len(exts)
    t = 1710506096  # 2024-03-15 12:34:56 UTC
    h = struct.pack('<H', total) + b'-lh0-' + struct.pack('<IIIBB', len(data), len(data), t, 0x20, 2)
    h += struct.pack('<H', crc16(data)) + b'U' + exts
    assert len(h) == total
    return h + data


def build(outdir):
    hello = b'Hello, archive!\n'
    text = b''.join(b'Line %04d of a text.\n' % i for i in range(20))

    # ZOO: the folder follows the long name (a reader that takes the bytes
    # after the fixed entry as the folder shows the long name as a folder).
    write(outdir, 'zoo_folders.zoo',
          build_zoo([(b'hello.txt', b'', b'', hello), (b'long_nam.txt', b'long_name.txt', b'docs', text)]),
          [line('hello.txt', hello, '%08x' % crc16(hello), 'Stored'),
           line('docs/long_name.txt', text, '%08x' % crc16(text), 'Stored')])
    # ZOO entry whose next-entry offset points at itself: one member, no hang.
    write(outdir, 'zoo_self_loop.zoo', build_zoo([(b'hello.txt', b'', b'', hello)], loop=True),
          [line('hello.txt', hello, '%08x' % crc16(hello), 'Stored')])

    # ARC: a folder DOCS holding A.TXT, then B.TXT at the top; a method-1
    # member with its 25-byte header.
    arc = arc_header(30, b'DOCS', b'', b'') + arc_header(2, b'A.TXT', hello) + hello
    arc += b'\x1a\x1f' + arc_header(1, b'OLD.TXT', text) + text + arc_header(2, b'B.TXT', hello) + hello + b'\x1a\x00'
    write(outdir, 'arc_folders.arc', arc,
          [line('DOCS/A.TXT', hello, '%08x' % crc16(hello), 'Stored'),
           line('OLD.TXT', text, '%08x' % crc16(text), 'Stored'),
           line('B.TXT', hello, '%08x' % crc16(hello), 'Stored')])

    # PAK: method 10 (Crushed) and 11 (Distill) headers.
    pak = arc_header(10, b'HELLO.TXT', hello) + hello + arc_header(11, b'TEXT.TXT', text) + text + b'\x1a\x00'
    write(outdir, 'pak_methods.pak', pak,
          [line('HELLO.TXT', hello, '%08x' % crc16(hello), 'Crushed'),
           line('TEXT.TXT', text, '%08x' % crc16(text), 'Distill')])

    # HA: machine-information field after the names must be skipped.
    t = 1710506096
    ha = b'HA' + struct.pack('<H', 2)
    for path, name, data in ((b'', b'hello.txt', hello), (b'src\xff', b'text.txt', text)):
        ha += bytes([0x20]) + struct.pack('<IIII', len(data), len(data), zlib.crc32(data), t)
        ha += path + b'\0' + name + b'\0' + b'\x02\x01\x02' + data
    write(outdir, 'ha_machine_info.ha', ha,
          [line('hello.txt', hello, '%08x' % zlib.crc32(hello), 'Cpy'),
           line('src/text.txt', text, '%08x' % zlib.crc32(text), 'Cpy')])

    # BH: 37-byte headers.
    bh = b''
    for name, data in ((b'HELLO.TXT', hello), (b'TEXT.TXT', text)):
        h = struct.pack('<IH', 0x07054842, 37 + len(name)) + bytes([0, 1, 1, 0, 0])
        h += struct.pack('<IIIIH', dos_time(*STAMP), len(data), len(data), zlib.crc32(data), 0x20)
        h += bytes(4) + struct.pack('<H', len(name)) + bytes(2)
        assert len(h) == 37
        bh += h + name + data
    write(outdir, 'bh_basic.bh', bh,
          [line('HELLO.TXT', hello, '%08x' % zlib.crc32(hello), 'Stored'),
           line('TEXT.TXT', text, '%08x' % zlib.crc32(text), 'Stored')])

    # Zip250: the 00 00 00 50 marker in front of an ordinary ZIP.
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, 'w', zipfile.ZIP_STORED) as z:
        info = zipfile.ZipInfo('hello.txt', STAMP)
        z.writestr(info, hello)
    write(outdir, 'zip250_marker.zip', b'\0\0\0\x50' + buffer.getvalue(),
          [line('hello.txt', hello, '%08x' % zlib.crc32(hello), 'Stored')])

    # Empty ZIP: the end record only.
    buffer = io.BytesIO()
    zipfile.ZipFile(buffer, 'w').close()
    write(outdir, 'zip_empty.zip', buffer.getvalue(), [])

    # LHA level 2: a timestamp header before the name header, and the folder
    # "src" 0xFF "lib" 0xFF.
    lzh = lha_level2(b'name.txt', b'src\xfflib\xff', hello, leading_ext=b'') + b'\0'
    stamp_ext = struct.pack('<H', 7) + b'\x54' + struct.pack('<I', 1710506096)
    lzh2 = lha_level2(b'other.txt', b'src\xff', text, leading_ext=stamp_ext) + b'\0'
    write(outdir, 'lha_level2_folders.lzh', lzh[:-1] + lzh2,
          [line('src/lib/name.txt', hello, '%08x' % crc16(hello), 'Stored'),
           line('src/other.txt', text, '%08x' % crc16(text), 'Stored')])

    # ARJ main and file headers with a longer fixed part (first-header size
    # 34): names start at the recorded size, not at offset 30.
    def arj_header(first_size, host, flags, method, ftype, name, data, crc):
        fixed = bytes([first_size, 11, 1, host, flags, method, ftype, 0])
        fixed += struct.pack('<IIIIHHBB', dos_time(*STAMP), len(data), len(data), crc, 0, 0x20, 0, 0)
        fixed += bytes(first_size - len(fixed))
        basic = fixed + name + b'\0' + b'\0'
        return b'\x60\xea' + struct.pack('<H', len(basic)) + basic + struct.pack('<I', zlib.crc32(basic)) + b'\0\0'
    arj = arj_header(34, 0, 0, 0, 2, b'hand.arj', b'', 0)
    for name, data in ((b'hello.txt', hello), (b'text.txt', text)):
        arj += arj_header(34, 0, 0, 0, 0, name, data, zlib.crc32(data)) + data
    arj += b'\x60\xea\0\0'
    write(outdir, 'arj_first_size_34.arj', arj,
          [line('hello.txt', hello, '%08x' % zlib.crc32(hello), 'Stored'),
           line('text.txt', text, '%08x' % zlib.crc32(text), 'Stored')])

    # RAR 2.x: a member with extended-time data (header longer than name +
    # 32 but no comment flag), a Unix folder known only by its mode, and a
    # second member found at header start + header size + packed size.
    def rar_file(name, data, host, attributes, flags=0x8000, extra=b''):
        h = struct.pack('<BHH', 0x74, flags, 32 + len(name) + len(extra))
        h += struct.pack('<IIBIIBBHI', len(data), len(data), host, zlib.crc32(data), dos_time(*STAMP), 20, 0x30,
                         len(name), attributes)
        h += name + extra
        return struct.pack('<H', zlib.crc32(h) & 0xFFFF) + h + data
    marker = b'Rar!\x1a\x07\x00'
    main = struct.pack('<HBHH', 0, 0x73, 0, 13) + bytes(6)
    rar = marker + main
    rar += rar_file(b'hello.txt', hello, 0, 0x20, flags=0x9000, extra=b'\0\0')
    rar += rar_file(b'folder', b'', 3, 0x41ED)
    rar += rar_file(b'text.txt', text, 3, 0x81A4)
    rar += struct.pack('<HBHH', 0x3DC4, 0x7B, 0x4000, 7)
    write(outdir, 'rar_headers.rar', rar,
          [line('hello.txt', hello, '%08x' % zlib.crc32(hello), 'Stored'),
           line('text.txt', text, '%08x' % zlib.crc32(text), 'Stored')])

    # RAR volume set: one member split over three volumes.
    parts = [hello[:5], hello[5:10], hello[10:]]
    names = ['vol.rar', 'vol.r00', 'vol.r01']
    for i, (name, part) in enumerate(zip(names, parts)):
        flags = 0x8000 | (0x01 if i > 0 else 0) | (0x02 if i < 2 else 0)
        vmain = struct.pack('<HBHH', 0, 0x73, 0x0001, 13) + bytes(6)
        h = struct.pack('<BHH', 0x74, flags, 32 + 9)
        h += struct.pack('<IIBIIBBHI', len(part), len(hello), 0, zlib.crc32(hello), dos_time(*STAMP), 20, 0x30, 9, 0x20)
        h += b'hello.txt'
        body = marker + vmain + struct.pack('<H', 0) + h + part + struct.pack('<HBHH', 0, 0x7B, 0, 7)
        with open(os.path.join(outdir, 'rar_' + name), 'wb') as f:
            f.write(body)
    with open(os.path.join(outdir, 'rar_vol.rar.manifest'), 'w') as f:
        f.write(line('hello.txt', hello, '%08x' % zlib.crc32(hello), 'Stored'))

    # Two cabinets naming each other as the next one: both listed once.
    def cabinet(files, next_name, prev_name):
        flags = (1 if prev_name else 0) | (2 if next_name else 0)
        names = b''
        if prev_name:
            names += prev_name + b'\0disk\0'
        if next_name:
            names += next_name + b'\0disk\0'
        header_size = 36 + len(names) + 8
        records = b''
        data_at = header_size + sum(16 + len(n) + 1 for n, _, _ in files)
        for name, data, index in files:
            records += struct.pack('<IIHHHH', len(data), 0, index, dos_time(*STAMP) >> 16,
                                   dos_time(*STAMP) & 0xFFFF, 0x20) + name + b'\0'
        total = data_at
        head = b'MSCF' + struct.pack('<IIIIIBBHHHHH', 0, total, 0, header_size, 0, 3, 1, 1, len(files), flags, 7, 0)
        return head + names + struct.pack('<IHH', data_at, 0, 0) + records
    with open(os.path.join(outdir, 'cab_loop_a.cab'), 'wb') as f:
        f.write(cabinet([(b'one.txt', hello, 0), (b'split.txt', text, 0xFFFE)], b'cab_loop_b.cab', None))
    with open(os.path.join(outdir, 'cab_loop_b.cab'), 'wb') as f:
        f.write(cabinet([(b'split.txt', text, 0xFFFD), (b'two.txt', hello, 0)], b'cab_loop_a.cab', b'cab_loop_a.cab'))
    with open(os.path.join(outdir, 'cab_loop_a.cab.manifest'), 'w') as f:
        f.write(line('one.txt', hello, '-', 'Stored') + line('split.txt', text, '-', 'Stored')
                + line('two.txt', hello, '-', 'Stored'))


if __name__ == '__main__':
    if sys.argv[1] == 'manifest':
        manifest(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5:])
    else:
        build(sys.argv[2])
