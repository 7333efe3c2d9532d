#!/usr/bin/env bash
# mve play: a paint script recorded by a Lua filter (mve filter) is played
# back onto white paper, and one written here by hand onto a picture; the
# paint lands where the strokes went and nowhere far from them. Broken
# scripts stop with their line number and write nothing.
set -euo pipefail
mve=$1
filters=$2
source "$(dirname "$0")/scratch.sh"

# 64 x 48, white but for a dark band in rows 12..23: the filter's band is
# floor(48 / 4) = 12 rows, so it records one stroke at y = 12 of size 12 from
# x = 0 to 63 in the band's colour (20, 40, 200) and none at y = 0, 24, 36.
$py - <<'PY'
from PIL import Image
im = Image.new('RGB', (64, 48), (255, 255, 255))
for y in range(12, 24):
    for x in range(64):
        im.putpixel((x, y), (20, 40, 200))
im.save('band.png')
PY
mkdir scripts
"$mve" filter "$filters/record_strokes.lua" band.png filtered.png
[ "$(head -c 6 scripts/luapaint.srp | od -An -c | tr -d ' ')" = '1554\r\n' ] || fail "the recording is not CR LF"
"$mve" play scripts/luapaint.srp --size 64x48 played.png >/dev/null
# Inside the stroke (radius 6 around y = 12): the band's colour; 6 rows and
# more away from its edge: white paper.
$py - <<'PY' || fail "recorded stroke"
from PIL import Image
im = Image.open('played.png').convert('RGB')
assert im.size == (64, 48), im.size
for x in (8, 32, 56):
    r, g, b = im.getpixel((x, 12))
    assert abs(r - 20) <= 8 and abs(g - 40) <= 8 and abs(b - 200) <= 8, (x, r, g, b)
for x, y in ((32, 0), (32, 20), (32, 30), (32, 40), (5, 47)):
    assert im.getpixel((x, y)) == (255, 255, 255), (x, y, im.getpixel((x, y)))
PY

# By hand, LF lines, onto a grey picture: a red diagonal stroke with rising
# pressure, a green dab of size 8 at (30, 5), a blue line of size 8 at y = 27.
$py -c "from PIL import Image; Image.new('RGB', (40, 30), (128, 128, 128)).save('grey.png')"
printf '%s\n' 1554 Description 1 ' ' RandomSeed 3 \
  SetBrushSize 6 SetBrushOpacity 100 SetColor 255 0 0 \
  DrawStart 4 4 -1 SmoothPlot2 0 0 0 1 0 SmoothPlot2 14 14 0.8 0 0 SmoothPlot2 24 24 1 0 0 \
  SmoothPlot2 0 0 0 0 1 DrawStop 1 \
  SetBrushSize 8 SetColor 0 255 0 Dab 30 5 1 \
  SetBrushSize 8 SetColor 0 0 255 Line2 2 27 37 27 ScriptEnd >hand.srp
"$mve" play hand.srp --canvas grey.png hand.png >/dev/null
$py - <<'PY' || fail "hand-written script"
from PIL import Image
im = Image.open('hand.png').convert('RGB')
# The soft round brush: overlapping dabs reach the colour, one dab alone
# only most of the way, so the painted channel must rise well above the
# grey 128 and the others fall well below it.
def painted(p, channel):
    return all((v >= 180) if c == channel else (v <= 80) for c, v in enumerate(p))
assert painted(im.getpixel((14, 14)), 0), im.getpixel((14, 14))
assert painted(im.getpixel((18, 18)), 0), im.getpixel((18, 18))
assert painted(im.getpixel((30, 5)), 1), im.getpixel((30, 5))
assert painted(im.getpixel((20, 27)), 2), im.getpixel((20, 27))
for p in ((4, 18), (36, 14), (20, 4), (14, 21)):
    assert im.getpixel(p) == (128, 128, 128), (p, im.getpixel(p))
PY

# Faults: the line of the fault in one line on stderr, exit 1, no output.
refused() {  # expected text, then the script's lines
  local want=$1; shift
  printf '%s\r\n' "$@" >bad.srp
  if "$mve" play bad.srp --size 20x20 bad.png 2>err.txt; then fail "played: $*"; fi
  [ "$(wc -l <err.txt)" = 1 ] && grep -q -- "$want" err.txt || fail "wanted '$want', got: $(cat err.txt)"
  [ ! -e bad.png ] || fail "bad.png written for: $*"
}
head=(1554 Description 1 ' ' RandomSeed 7)
refused "line 1: not a paint script" 1555 Description 1 ' ' RandomSeed 7
refused "line 6: the random seed" 1554 Description 1 ' ' RandomSeed x
refused "line 9: unknown command \"Smudge\"" "${head[@]}" SetBrushSize 5 Smudge 1
refused "line 9: SetColor argument 2 \"green\" is not a number" "${head[@]}" SetColor 1 green 3
refused "line 7: DrawStart needs 3 argument lines" "${head[@]}" DrawStart 4
refused "line 7: SetBrushSize: size 5000 is outside 1..256" "${head[@]}" SetBrushSize 5000
refused "line 7: Line2: an end is far off the canvas" "${head[@]}" Line2 0 0 1e8 5
refused "line 8: text after ScriptEnd" "${head[@]}" ScriptEnd ClearPage
refused "line 7: Filter: no effect named" "${head[@]}" Filter Nothing 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0
refused "line 7: BufferClear: buffer numbers" "${head[@]}" BufferClear 99
if "$mve" play missing.srp --size 20x20 bad.png 2>/dev/null; then fail "played a missing script"; fi
if "$mve" play hand.srp --size 20y20 bad.png 2>/dev/null; then fail "took --size 20y20"; fi
if "$mve" play hand.srp --size 20x20 --canvas grey.png bad.png 2>/dev/null; then fail "took --size and --canvas"; fi
[ ! -e bad.png ] || fail "bad.png written"

# The buffer commands: copy the grey page, paint it red, put the copy back.
printf '%s\n' "${head[@]}" BufferFromLayer 2 SetColor 255 0 0 FillPage BufferToLayer 2 ScriptEnd >buf.srp
"$mve" play buf.srp --canvas grey.png buf.png >/dev/null
[ "$($py -c "from PIL import Image; print(*Image.open('buf.png').convert('RGB').getpixel((7, 7)))")" = "128 128 128" ] ||
  fail "BufferToLayer did not restore the page"
echo "mve play: ok"
