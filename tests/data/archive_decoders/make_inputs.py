#!/usr/bin/env python3
"""Writes the plain input files the decoder fixtures are made from, into the
folder given (deterministic: the same bytes every run)."""
import random
import sys
from pathlib import Path

out = Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
rng = random.Random(6)
words = ("the archive member holds bytes that decode back to what went in "
         "window block table code length distance literal match").split()


def text(size):
    parts = []
    total = 0
    while total < size:
        word = rng.choice(words) + (" " if rng.random() < 0.9 else "\n")
        parts.append(word)
        total += len(word)
    return "".join(parts).encode()[:size]


files = {
    "empty.bin": b"",
    "one.bin": b"A",
    "text.txt": text(20000),
    "block.txt": text(32768),
    "block1.txt": text(32769),
    # 12 KiB of noise twice: every match of the second half reaches 12 KiB back.
    "far.bin": (lambda noise: noise + noise)(bytes(rng.getrandbits(8) for _ in range(12288))),
    "lines.txt": b"".join(b"line %06d: a long and regular line of text\n" % i for i in range(8000)),
    # Bytes with a skewed spread and no repeats to speak of (Huffman wins).
    "skewed.bin": bytes(min(int(rng.expovariate(0.3)), 255) + 32 for _ in range(6000)),
    # Long runs of a byte, and the run marker itself.
    "runs.bin": b"".join(bytes([rng.choice(b"\x00\x90ab")]) * rng.randint(1, 300) for _ in range(200)),
    # Runs of random bytes: run-length coding alone does best.
    "rle.bin": b"".join(bytes([rng.getrandbits(8)]) * rng.randint(60, 250) for _ in range(300)),
}
for name, data in files.items():
    (out / name).write_bytes(data)
