#!/usr/bin/env bash
# Rebuilds the fixtures on which the lister and the extractors once read one
# archive two ways, and the hostile ZIP directories:
#   zip_stub_unadjusted.exe  a 7612-byte program stub glued in front of a ZIP
#                            whose offsets were not adjusted (no zip -A)
#   zip_zip64.zip            Info-ZIP's forced Zip64 (end locator, Zip64
#                            sizes in the central records)
#   zip_stub_zip64.exe       the same behind the stub, offsets not adjusted
#   lha_folder_control.lzh   jlha level 2; the folder name starts with byte 0x1F
#   zip_overlap_bomb.zip     50 central entries pointing at one 1 MiB member
#   zip_cut_directory.zip    zip_stored.zip with its second central record
#                            damaged: the directory ends before its count
# Run with TZ=UTC; needs zip 3.0, jlha's lha and python3.
set -euo pipefail
export TZ=UTC LC_ALL=C.UTF-8
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stamp="2024-03-15 12:34:56"
cd "$work"
mkdir -p src/$'\x1fsub'
printf 'Hello, archive!\n' > src/hello.txt
python3 -c "print(''.join('Line %04d of a text that compresses well.' % i + chr(10) for i in range(80)), end='')" > src/text.txt
printf 'inside a folder with a control byte in its name\n' > src/$'\x1fsub'/inner.txt
find src -exec touch -d "$stamp" {} +
cd src
manifest() { # fixture crc-kind method file...
  local fixture=$1 kind=$2 method=$3; shift 3
  python3 "$here/gen_fixtures.py" manifest "$kind" "$method" "$stamp" "$@" > "$here/$fixture.manifest"
}

rm -f "$here/zip_stub_unadjusted.exe" "$here/zip_zip64.zip" "$here/zip_stub_zip64.exe" "$here/lha_folder_control.lzh"
zip -q -X -0 "$work/plain.zip" hello.txt text.txt
python3 -c "import sys; sys.stdout.buffer.write(b'MZ' + b'\0' * 7610)" > "$work/stub.bin"
cat "$work/stub.bin" "$work/plain.zip" > "$here/zip_stub_unadjusted.exe"
manifest zip_stub_unadjusted.exe crc32 Stored hello.txt text.txt

zip -q -X -fz "$here/zip_zip64.zip" hello.txt text.txt
manifest zip_zip64.zip crc32 '*' hello.txt text.txt
cat "$work/stub.bin" "$here/zip_zip64.zip" > "$here/zip_stub_zip64.exe"
manifest zip_stub_zip64.exe crc32 '*' hello.txt text.txt

lha -a2 "$here/lha_folder_control.lzh" hello.txt $'\x1fsub'/inner.txt >/dev/null
manifest lha_folder_control.lzh crc16 '*' hello.txt sub/inner.txt=$'\x1fsub'/inner.txt

python3 "$here/make_zip_hostile.py" "$here"

# A level-2 total header size two bytes short of the extended headers it
# counts, as LHA for OS-9 writes it: jlha's archive with the first header's
# total lowered by 2 (the data still starts after the extended headers).
lha -a2 "$work/level2.lzh" hello.txt text.txt >/dev/null
python3 - "$work/level2.lzh" "$here/lha_level2_total_short.lzh" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
total = struct.unpack_from('<H', data, 0)[0]
struct.pack_into('<H', data, 0, total - 2)
open(sys.argv[2], 'wb').write(data)
PY
manifest lha_level2_total_short.lzh crc16 '*' hello.txt text.txt
