#!/bin/sh
# Rebuilds the RTF files of this folder with GNU enscript (the RTF writer the
# tests compare against). notes.txt is Latin-1 text, count.c is highlighted.
set -e
cd "$(dirname "$0")"
enscript -q -w rtf -o notes.rtf notes.txt
enscript -q -Ec -w rtf -o count.rtf count.c
