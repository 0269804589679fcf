#!/usr/bin/env bash
# Rebuilds the extraction fixtures beside this script with the real
# archivers (arj, jlha's lha, arc) and writes every fixture's manifest,
# <fixture>.sha256: the SHA-256 and path of each member as an independent
# tool extracted it (arj, lhasa, nomarch, unar), never as we do. The public
# archives in ../shared/fixtures/archives get their manifests here too,
# named after their path with "/" as "__". Run with TZ=UTC.
set -euo pipefail
export TZ=UTC LC_ALL=C.UTF-8
here=$(cd "$(dirname "$0")" && pwd)
shared=$(cd "$here/../../../../../shared/fixtures/archives" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stamp="2024-03-15 12:34:56"

# Inputs: empty, one byte, one block and one past it, text, noise, a folder.
mkdir -p "$work/src/sub"
cd "$work/src"
python3 - <<'PY'
import random
random.seed(6)
open('empty.bin', 'wb').close()
open('one.bin', 'wb').write(b'A')
open('block.bin', 'wb').write(bytes((i * 7 + i // 300) & 255 for i in range(32768)))
open('block1.bin', 'wb').write(bytes((i * 13 + i // 500) & 255 for i in range(32769)))
open('text.txt', 'w').write(''.join('Line %05d: the quick brown fox %d jumps over the lazy dog.\n' % (i, i * i % 977) for i in range(900)))
open('noise.bin', 'wb').write(bytes(random.getrandbits(8) for _ in range(12000)))
open('sub/inner.txt', 'w').write('inside a folder\n' * 50)
PY
find . -exec touch -d "$stamp" {} +
files=(empty.bin one.bin block.bin block1.bin text.txt noise.bin sub/inner.txt)

# manifest FIXTURE DIR: the SHA-256 of every file under DIR, by path.
manifest() {
  (cd "$2" && find . -type f -printf '%P\n' | LC_ALL=C sort | while read -r f; do sha256sum "$f"; done) > "$here/$1.sha256"
}
oracle() { rm -rf "$work/out"; mkdir -p "$work/out"; }

rm -f "$here"/arj_* "$here"/lha_* "$here"/arc_* "$here"/*.sha256
# ARJ 3.10: methods 0-4 with folders; a volume set of method 1.
for m in 0 1 2 3 4; do
  arj a -y -i -r -m$m "$here/arj_m$m.arj" "${files[@]}" >/dev/null
  oracle; (cd "$work/out" && arj x -y -i "$here/arj_m$m.arj" >/dev/null); manifest "arj_m$m.arj" "$work/out"
done
arj a -y -i -r -m1 -v10000 "$here/arj_volume.arj" text.txt noise.bin block1.bin one.bin >/dev/null
oracle; (cd "$work/out" && arj x -y -i -v "$here/arj_volume.arj" >/dev/null); manifest arj_volume.arj "$work/out"

# LHA (jlha): -lh5- at header levels 0, 1, 2; stored; -lh6- and -lh7-
# checked by lhasa.
for level in 0 1 2; do
  lha a$level "$here/lha_lh5_h$level.lzh" "${files[@]}" >/dev/null
  oracle; (cd "$work/out" && lhasa xq "$here/lha_lh5_h$level.lzh"); manifest "lha_lh5_h$level.lzh" "$work/out"
done
lha az "$here/lha_lh0.lzh" "${files[@]}" >/dev/null
oracle; (cd "$work/out" && lhasa xq "$here/lha_lh0.lzh"); manifest lha_lh0.lzh "$work/out"
lha ao6 "$here/lha_lh6.lzh" "${files[@]}" >/dev/null
oracle; (cd "$work/out" && lhasa xq "$here/lha_lh6.lzh"); manifest lha_lh6.lzh "$work/out"

# ARC 5.21: whatever methods arc picks (stored, packed, squeezed,
# crunched); nomarch is the oracle.
arc a "$here/arc_best.arc" empty.bin one.bin block.bin block1.bin text.txt noise.bin >/dev/null
for f in arc_best.arc; do
  oracle; (cd "$work/out" && nomarch "$here/$f" >/dev/null); manifest "$f" "$work/out"
done

# Public archives: lhasa for LHA, nomarch for arcdec's ARC fixtures, unar
# for RAR.
public() { # folder oracle-command path...
  local folder=$1 tool=$2; shift 2
  for path in "$@"; do
    oracle
    (cd "$work/out" && $tool "$folder/$path" >/dev/null 2>&1) || true
    manifest "$(echo "$path" | sed 's|/|__|g')" "$work/out"
  done
}
public "$shared" "lhasa xq" lhasa/lharc113/lh0.lzh lhasa/lharc113/lh1.lzh lhasa/lharc113/subdir.lzh lhasa/lha213/lh5.lzh lhasa/lha213/sfx.exe \
  lhasa/lha_amiga_122/lh4.lzh lhasa/lha_amiga_122/level2.lzh lhasa/lha_amiga_212/lh6.lzh lhasa/lha_unix114i/h1_lh6.lzh \
  lhasa/lhmelt_16536/h1_lh1.lzh lhasa/lengths/lh1-0.lzh lhasa/lengths/lh1-1.lzh lhasa/lengths/lh1-64k.lzh lhasa/explzh_723/h2_subdir.lzh
public "$shared" "unar -q -f -D -o ." sharpcompress/Rar.rar sharpcompress/Rar.none.rar sharpcompress/Rar15.rar \
  sharpcompress/Rar2.rar sharpcompress/Rar2.multi.rar sharpcompress/Rar4.multi.part01.rar \
  libarchive/test_read_format_rar_compress_best.rar libarchive/test_read_format_rar_filter.rar \
  libarchive/test_read_format_rar_multivolume.part0001.rar libarchive/test_read_format_rar5_compressed.rar \
  libarchive/test_read_format_rar5_multiarchive.part01.rar libarchive/test_read_format_rar_sfx.exe \
  rar-test-files/testfile.rar3.rar rar-test-files/testfile.rar5.rar
# arcdec's ARC method fixtures (nomarch has no method 7: arc itself).
public "$here/../../../data/archive_decoders" nomarch arc_m1.arc arc_m3.arc arc_m5.arc arc_m6.arc arc_sq.arc
public "$here/../../../data/archive_decoders" "arc x" arc_m7.arc
