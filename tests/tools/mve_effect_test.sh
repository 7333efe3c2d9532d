#!/usr/bin/env bash
# mve effect and mve effects on real files: PIL makes a red square on a
# transparent picture and reads the results back.
set -euo pipefail
mve=$1
source "$(dirname "$0")/scratch.sh"

$py - <<'PY'
from PIL import Image
im = Image.new('RGBA', (64, 48), (0, 0, 0, 0))
for x in range(16, 48):
    for y in range(12, 36):
        im.putpixel((x, y), (200, 60, 40, 255))
im.save('in.png')
PY

# (listed into a file: grep -q leaving a pipe early would fail the pipeline under pipefail)
"$mve" effects >list.txt
grep -q '^Drop Shadow  *compositions  *own$' list.txt || fail "Drop Shadow is not listed"
# Shadow moved by trunc(4 % of 64) = 2 and trunc(6 % of 48) = 2 in (20, 20, 60).
"$mve" effect "Drop Shadow" in.png shadow.png --p1 540 --p2 560 --p3 100 --p4 1000 --rgb 20,20,60 >/dev/null
$py - <<'PY' || fail "drop shadow"
from PIL import Image
im = Image.open('shadow.png')
assert im.size == (64, 48) and im.mode == 'RGBA', (im.size, im.mode)
assert im.getpixel((30, 20)) == (200, 60, 40, 255), im.getpixel((30, 20))   # the square itself
r, g, b, a = im.getpixel((48, 36))                                          # just beyond its corner
assert a > 0 and abs(r - 20) <= 2 and abs(g - 20) <= 2 and abs(b - 60) <= 2, (r, g, b, a)
assert im.getpixel((2, 2))[3] == 0                                          # far away: nothing
PY
# Unknown names are refused by the host before anything runs.
if "$mve" effect "drop shadow" in.png out.png 2>/dev/null; then fail "a wrong-case name ran"; fi
[ ! -e out.png ] || fail "out.png written for an unknown name"
echo "mve effect: ok"
