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

# ARC: arc picks its best method per file (stored, squeezed, crunched 8) and
# squashes (9) with "aq"; make_arc.py writes methods 1, 3, 5, 6 and 7, kept
# only when nomarch (methods 1-6) or arc itself (7, which nomarch lacks)
# passes them.
arc_check() {
  local out
  out=$(nomarch -t "$1" 2>&1)
  if [[ -z "$out" ]] || grep -v -q $'\tok$' <<<"$out"; then
    echo "nomarch rejects $1: $out" >&2
    exit 1
  fi
}
rm -f "$here"/arc_*.arc
arc a "$here/arc_best.arc" empty.bin one.bin text.txt block1.txt far.bin lines.txt skewed.bin runs.bin >/dev/null
arc aq "$here/arc_sq.arc" empty.bin one.bin text.txt block1.txt lines.txt >/dev/null
arc_check "$here/arc_best.arc"
arc_check "$here/arc_sq.arc"
python3 "$here/make_arc.py" "$here/arc_m1.arc" 1 empty.bin one.bin text.txt
python3 "$here/make_arc.py" "$here/arc_m3.arc" 3 empty.bin one.bin text.txt rle.bin runs.bin
for method in 5 6; do
  python3 "$here/make_arc.py" "$here/arc_m$method.arc" $method empty.bin one.bin text.txt block1.txt lines.txt rle.bin
done
python3 "$here/make_arc.py" "$here/arc_m7.arc" 7 one.bin text.txt block1.txt lines.txt rle.bin
for method in 1 3 5 6; do arc_check "$here/arc_m$method.arc"; done
arc t "$here/arc_m7.arc" | grep -q 'No errors detected' || { echo "arc rejects arc_m7.arc" >&2; exit 1; }
