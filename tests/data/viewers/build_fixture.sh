#!/bin/sh
# Rebuilds fixture.dll from fixture.rc with the mingw-w64 cross tools
# (Debian: gcc-mingw-w64-i686, binutils-mingw-w64-i686). The DLL is committed,
# so the tests need none of this. The pictures are made first:
#   python3 make_images.py; cc make_jpeg.c -ljpeg -o /tmp/make_jpeg && /tmp/make_jpeg
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
printf 'int __stdcall DllMain(void* h, unsigned r, void* p) { (void)h; (void)r; (void)p; return 1; }\n' > "$tmp/main.c"
i686-w64-mingw32-windres fixture.rc -O coff -o "$tmp/fixture.res"
i686-w64-mingw32-gcc -shared -s -nostdlib -e _DllMain@12 -Wl,--no-insert-timestamp \
  -o fixture.dll "$tmp/main.c" "$tmp/fixture.res"
