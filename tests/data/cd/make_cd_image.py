#!/usr/bin/env python3
"""Writes a CD image as one BIN file of raw 2352-byte sectors and its CUE sheet
(and, for an audio-only disc, a cdrdao TOC file over the same BIN).

    make_cd_image.py OUTDIR [--name NAME] [--sectors 300,263,150] [--mixed]

Each audio track gets its own byte pattern (a seeded generator per track,
so every sector of every track differs and a slice taken from the wrong
place never matches). --mixed puts a MODE1/2352 data track of 300 sectors
first, as on a mixed-mode disc; its sectors carry the sync pattern and a
header, and zeros as data. The tests and the benchmark call this at run
time and compare what is played with the BIN's own byte slices.
"""
import argparse
import os
import random

SECTOR = 2352
FRAMES_PER_SECOND = 75


def msf(sectors):
    minutes, rest = divmod(sectors, 60 * FRAMES_PER_SECOND)
    seconds, frames = divmod(rest, FRAMES_PER_SECOND)
    return "%02d:%02d:%02d" % (minutes, seconds, frames)


def bcd(value):
    return ((value // 10) << 4) | (value % 10)


def data_sector(lba):
    # Sync, then the address (2-second lead-in included) and mode 1.
    address = lba + 2 * FRAMES_PER_SECOND
    minutes, rest = divmod(address, 60 * FRAMES_PER_SECOND)
    seconds, frames = divmod(rest, FRAMES_PER_SECOND)
    header = bytes([0x00] + [0xFF] * 10 + [0x00, bcd(minutes), bcd(seconds), bcd(frames), 0x01])
    return header + bytes(SECTOR - len(header))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("outdir")
    parser.add_argument("--name", default="disc")
    parser.add_argument("--sectors", default="300,263,150")
    parser.add_argument("--mixed", action="store_true")
    args = parser.parse_args()

    counts = [int(count) for count in args.sectors.split(",")]
    os.makedirs(args.outdir, exist_ok=True)
    bin_name = args.name + ".bin"
    cue = ['FILE "%s" BINARY' % bin_name]
    toc = ["CD_DA"]
    lba = 0
    number = 1
    with open(os.path.join(args.outdir, bin_name), "wb") as out:
        if args.mixed:
            cue += ["  TRACK %02d MODE1/2352" % number, "    INDEX 01 %s" % msf(lba)]
            for sector in range(300):
                out.write(data_sector(lba + sector))
            lba += 300
            number += 1
        for track, count in enumerate(counts, start=1):
            cue += ["  TRACK %02d AUDIO" % number, "    INDEX 01 %s" % msf(lba)]
            toc += ["", "TRACK AUDIO", 'FILE "%s" %s %s' % (bin_name, msf(lba), msf(count))]
            out.write(random.Random(1000 + track).randbytes(count * SECTOR))
            lba += count
            number += 1
    with open(os.path.join(args.outdir, args.name + ".cue"), "w") as sheet:
        sheet.write("\n".join(cue) + "\n")
    if not args.mixed:
        with open(os.path.join(args.outdir, args.name + ".toc"), "w") as sheet:
            sheet.write("\n".join(toc) + "\n")


if __name__ == "__main__":
    main()
