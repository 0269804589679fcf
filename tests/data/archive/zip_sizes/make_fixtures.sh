#!/usr/bin/env bash
# Rebuilds the ZIP size fixtures and their manifests. Members of 0, 1, 32767,
# 32768 and 32769 bytes (around the extractors' 32768-byte blocks) and one of
# about 1 MB, packed by Info-ZIP zip and by 7-Zip, each stored and deflated.
# Every manifest holds the SHA-256 of each member as unzip extracted it.
#
# Tools: Info-ZIP zip 3.0, UnZip 6.00, 7-Zip (7zz) 22.01+ (Debian 12).
# Member dates are pinned so the archives rebuild byte for byte.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Member contents: deterministic text and bytes from a seeded generator. The
# large member repeats 4 KB text blocks (long matches across the whole
# window) around one 4 KB run of random bytes (stored blocks).
python3 - <<'PY'
import random
rng = random.Random(20240605)
words = "archive member block window length distance literal header folder volume".split()
def text(n):
    out = bytearray()
    while len(out) < n:
        out += (" ".join(rng.choice(words) for _ in range(rng.randint(3, 12))) + "\n").encode()
    return bytes(out[:n])
import os
os.makedirs("m", exist_ok=True)
for size in (0, 1, 32767, 32768, 32769):
    open(f"m/size{size}.txt", "wb").write(text(size))
pool = [text(4096) for _ in range(6)]
large = bytearray()
while len(large) < 1_000_000:
    large += rng.choice(pool)
    if len(large) == 500 * 1024:
        large += bytes(rng.getrandbits(8) for _ in range(4096))
open("m/large.txt", "wb").write(bytes(large[:1_000_000]))
PY
touch -d '2024-06-05 12:00:00' m/*
small="m/size0.txt m/size1.txt m/size32767.txt m/size32768.txt m/size32769.txt"

rm -f "$here"/*.zip "$here"/*.sha256
# Info-ZIP: deflate at the default level with every member; stored without
# the large one (the fixtures stay under 100 KB).
TZ=UTC zip -q -X -D "$here/zip_deflate.zip" $small m/large.txt
TZ=UTC zip -q -X -D -0 "$here/zip_stored.zip" $small
# 7-Zip's own deflate encoder at its best setting, and stored.
TZ=UTC 7zz a -bso0 -tzip -mx=9 -mtc=off "$here/7z_deflate.zip" $small m/large.txt
TZ=UTC 7zz a -bso0 -tzip -mx=0 -mtc=off "$here/7z_stored.zip" $small

# Manifests: what unzip writes, hashed by sha256sum.
for archive in "$here"/*.zip; do
  rm -rf out && mkdir out
  unzip -qq "$archive" -d out
  (cd out && find . -type f | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum) > "$archive.sha256"
done
ls -l "$here"
