#!/usr/bin/env python3
# Writes the editor's fixtures: a few bytes each, one per way a text file
# can be laid out. Run from this folder; the files are committed.
import os

here = os.path.dirname(os.path.abspath(__file__))

fixtures = {
    "lf.txt": b"the cat sat\non the mat\n",
    "crlf.txt": b"the cat sat\r\non the mat\r\n",
    "cr.txt": b"the cat sat\ron the mat\r",
    "mixed.txt": b"the cat\r\nsat\non\rthe mat\r\n\n",
    "no_final_newline.txt": b"the cat\nsat on the mat",
    "utf8_bom.txt": b"\xef\xbb\xbfthe cat \xc3\xa9t\xc3\xa9\n\xe2\x94\x80 \xf0\x9f\x90\x88\n",
    "utf16le_bom.txt": "\ufeffthe cat \u043a\u043e\u0442\r\n\u2500 \U0001F408\r\n".encode("utf-16-le"),
    "utf16be_bom.txt": "\ufeffthe cat \u043a\u043e\u0442\n\u2028end".encode("utf-16-be"),
    "cp1251.txt": b"the cat \xea\xee\xf2\x98\xa0\xe8\n\xc0\xa0cat\n",
    "cp866_box.txt": b"\xc9\xcd\xcd\xbb cat\n\xba\xff\xba\n\xc8\xcd\xcd\xbc\x1a\n",
    "invalid_utf8.txt": b"the cat \xc3 \xe9t\xe9 \xed\xa0\x80 \xf5\x80\n\xc0\xafcat",
    "utf16le_odd.txt": "\ufeffthe cat\n".encode("utf-16-le") + b"\x41",
    "utf8_bom_invalid.txt": b"\xef\xbb\xbfthe cat \xff\xc3(\xe2\x82\n",
    "nul_bytes.txt": b"the\x00cat\x00\nsat\x00\x00\n",
}

for name, data in fixtures.items():
    with open(os.path.join(here, name), "wb") as f:
        f.write(data)
