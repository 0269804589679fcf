#!/usr/bin/env bash
# Rebuilds the archive listing fixtures beside this script with the real,
# independent archivers (zip, arj, jlha's lha, arc, gcab, gzip, compress,
# tar, uuencode) and the hand-built generator gen_fixtures.py for the kinds
# no Debian tool writes (ZOO, PAK, HA, BH, Zip250) and the hostile cases.
# Each fixture gets <name>.manifest: one line per member,
#   name<TAB>unpacked size<TAB>crc (hex, "-" when the kind stores none)<TAB>method<TAB>date
# computed from the source files, never from our own reader. The commands
# used are in README.md. Run with TZ=UTC.
set -euo pipefail
export TZ=UTC LC_ALL=C.UTF-8
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stamp="2024-03-15 12:34:56"

cd "$work"
mkdir -p src/sub src/docs
python3 - <<'PY'
import random
random.seed(5)
open('src/hello.txt','w').write('Hello, archive!\n')
open('src/text.txt','w').write(''.join('Line %04d of a text that compresses well.\n' % i for i in range(80)))
open('src/data.bin','wb').write(bytes(random.getrandbits(8) for _ in range(2048)))
open('src/sub/inner.txt','w').write('inside a folder\n' * 20)
open('src/big.bin','wb').write(bytes(random.getrandbits(8) for _ in range(70000)))
PY
find src -exec touch -d "$stamp" {} +
cd src

out="$here"
# name → manifest lines: name size crc method date
manifest() { # fixture crc-kind method file...
  local fixture=$1 kind=$2 method=$3; shift 3
  python3 "$here/gen_fixtures.py" manifest "$kind" "$method" "$stamp" "$@" > "$out/$fixture.manifest"
}

# ZIP (Info-ZIP 3.0): stored, deflate at each speed flag, encryption, no
# folder records, streamed Zip64 local headers, self-extractor stubs.
rm -f "$out"/zip_*.zip "$out"/zip_*.exe
zip -q -X -0 "$out/zip_stored.zip" hello.txt text.txt data.bin
manifest zip_stored.zip crc32 Stored hello.txt text.txt data.bin
zip -q -X -9 "$out/zip_deflate_max.zip" text.txt
manifest zip_deflate_max.zip crc32 DeflateX text.txt
zip -q -X -6 "$out/zip_deflate_normal.zip" text.txt
manifest zip_deflate_normal.zip crc32 DeflateN text.txt
zip -q -X -2 "$out/zip_deflate_fast.zip" text.txt
manifest zip_deflate_fast.zip crc32 DeflateF text.txt
zip -q -X -1 "$out/zip_deflate_superfast.zip" text.txt
manifest zip_deflate_superfast.zip crc32 DeflateF text.txt
zip -q -X -r "$out/zip_folders.zip" hello.txt sub
manifest zip_folders.zip crc32 '*' hello.txt sub/inner.txt
zip -q -X -r -D "$out/zip_nodirs.zip" hello.txt sub
manifest zip_nodirs.zip crc32 '*' hello.txt sub/inner.txt
zip -q -X -P secret "$out/zip_encrypted.zip" hello.txt text.txt
manifest zip_encrypted.zip crc32 '*' hello.txt text.txt
zip -q -X -fz - hello.txt text.txt > "$out/zip_stream_zip64.zip"
manifest zip_stream_zip64.zip crc32 '*' hello.txt text.txt
for stub in 7612 15770 25669; do
  python3 -c "import sys; sys.stdout.buffer.write(b'MZ' + b'\0' * ($stub - 2))" > stub.bin
  cat stub.bin "$out/zip_stored.zip" > "$out/zip_sfx_$stub.exe"
  zip -q -A "$out/zip_sfx_$stub.exe"
  cp "$out/zip_stored.zip.manifest" "$out/zip_sfx_$stub.exe.manifest" 2>/dev/null || manifest "zip_sfx_$stub.exe" crc32 Stored hello.txt text.txt data.bin
done
rm -f stub.bin

# ARJ 3.10: methods 0-4, text mode, garbled, folders, volumes.
rm -f "$out"/arj_[mtgfv]*
for m in 0 1 2 3 4; do
  arj a -y -i -m$m "$out/arj_m$m.arj" hello.txt text.txt data.bin >/dev/null
  names=(Stored Most "2nd Most" "2nd Fast" Fastest)
  if [[ $m == 0 ]]; then
    manifest arj_m$m.arj crc32 Stored hello.txt text.txt data.bin
  else
    # ARJ stores files it cannot shrink whatever the method asked.
    { python3 "$here/gen_fixtures.py" manifest crc32 '*' "$stamp" hello.txt
      python3 "$here/gen_fixtures.py" manifest crc32 "${names[$m]}" "$stamp" text.txt
      python3 "$here/gen_fixtures.py" manifest crc32 '*' "$stamp" data.bin; } > "$out/arj_m$m.arj.manifest"
  fi
done
arj a -y -i -t1 "$out/arj_text.arj" text.txt >/dev/null
manifest arj_text.arj crc32 Most text.txt
arj a -y -i -gsecret "$out/arj_garbled.arj" hello.txt >/dev/null
manifest arj_garbled.arj crc32 '*' hello.txt
arj a -y -i -r "$out/arj_folders.arj" hello.txt sub >/dev/null
manifest arj_folders.arj crc32 '*' hello.txt sub/inner.txt
arj a -y -i -m0 -v30k "$out/arj_volume.arj" big.bin hello.txt >/dev/null
# A split member's CRC covers its part only.
manifest arj_volume.arj none Stored big.bin hello.txt

# LHA (jlha 0.1.6): stored and lh5/lh6/lh7 at header levels 0-2.
rm -f "$out"/lha_lh*
for level in 0 1 2; do
  lha -a${level}z "$out/lha_lh0_h$level.lzh" hello.txt text.txt >/dev/null
  manifest lha_lh0_h$level.lzh crc16 Stored hello.txt text.txt
  for o in 5 6 7; do
    lha -a${level}o$o "$out/lha_lh${o}_h$level.lzh" hello.txt text.txt sub/inner.txt >/dev/null
    manifest lha_lh${o}_h$level.lzh crc16 '*' hello.txt text.txt sub/inner.txt
  done
done

# ARC 5.21: the archiver picks stored, packed, squeezed or crunched per file.
rm -f "$out"/arc_mix*
arc a mixed.arc hello.txt text.txt data.bin >/dev/null
mv mixed.arc "$out/arc_mixed.arc"
manifest arc_mixed.arc crc16 '*' data.bin hello.txt text.txt

# Cabinets (gcab 1.5): stored and MSZIP.
rm -f "$out"/cab_s* "$out"/cab_m*
gcab -c "$out/cab_stored.cab" hello.txt text.txt
manifest cab_stored.cab none Stored hello.txt text.txt
gcab -cz "$out/cab_mszip.cab" hello.txt text.txt
manifest cab_mszip.cab none MsZIP hello.txt text.txt

# gzip 1.12 and compress 4.2.
rm -f "$out"/gz_*
gzip -9 -N -c text.txt > "$out/gz_named.gz"
manifest gz_named.gz crc32 Deflate text.txt
gzip -9 -n -c text.txt > "$out/gz_text.txt.gz"
python3 "$here/gen_fixtures.py" manifest crc32 Deflate 1980-01-01_00:01:00 gz_text.txt=text.txt > "$out/gz_text.txt.gz.manifest"
compress -c text.txt > "$out/gz_compress.txt.Z"

# tar 1.34: v7, ustar, gnu, pax.
rm -f "$out"/tar_*
for format in v7 ustar gnu pax; do
  tar --format=$format --owner=0 --group=0 --numeric-owner -cf "$out/tar_$format.tar" hello.txt sub/inner.txt
  manifest tar_$format.tar none Stored hello.txt sub/inner.txt
done

# uuencode (sharutils 4.15).
uuencode hello.txt hello.txt > "$out/uue_hello.uue"

# Hand-built kinds and hostile cases.
python3 "$here/gen_fixtures.py" build "$out"
ls -la "$out" | awk '$5 > 102400 { print "too large: " $9; bad=1 } END { exit bad }'
