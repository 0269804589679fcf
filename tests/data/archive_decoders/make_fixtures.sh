#!/usr/bin/env bash
# Rebuilds the ARJ and ARC decoder fixtures of this folder from the inputs of
# make_inputs.py, with the real tools (arj, arc; nomarch checks what
# make_arc.py writes). Run from anywhere; needs the packages of
# scripts/deps.d/arcdec.txt.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_inputs.py" "$work/in"
cd "$work/in"
arj_files=(empty.bin one.bin text.txt block.txt block1.txt far.bin lines.txt)
for method in 1 2 3 4; do
  rm -f "$here/arj_m$method.arj"
  arj a -m$method -y "$here/arj_m$method.arj" "${arj_files[@]}" >/dev/null
  arj t "$here/arj_m$method.arj" >/dev/null
done
