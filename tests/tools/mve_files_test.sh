#!/usr/bin/env bash
# mve convert and mve info on real files: PIL makes the inputs and reads the
# outputs back (size, mode, resolution); --quality must change the JPEG.
set -euo pipefail
mve=$1
source "$(dirname "$0")/scratch.sh"

$py - <<'PY'
import random
from PIL import Image
random.seed(7)
im = Image.new('RGBA', (64, 48))
im.putdata([(random.randrange(256), random.randrange(256), random.randrange(256), 255) for _ in range(64 * 48)])
im.putpixel((0, 0), (0, 0, 0, 0))
im.save('in.png', dpi=(150, 150))
Image.new('RGB', (20, 10), (9, 8, 7)).save('in.webp', lossless=True)
PY

"$mve" convert in.png out.jpg --dpi 300 --quality 20 >/dev/null
"$mve" convert in.png hi.jpg --quality 95 >/dev/null
"$mve" convert in.png out.tif >/dev/null
"$mve" convert in.webp out.bmp >/dev/null
read -r w h mode dpi < <($py -c "from PIL import Image; im = Image.open('out.jpg'); print(*im.size, im.mode, round(im.info['dpi'][0]))")
[ "$w $h $mode $dpi" = "64 48 RGB 300" ] || fail "out.jpg is $w $h $mode $dpi"
[ "$(stat -c %s out.jpg)" -lt "$(stat -c %s hi.jpg)" ] || fail "--quality 20 is not smaller than --quality 95"
# Without --dpi the input's resolution is kept; the transparent pixel keeps its alpha in TIFF.
read -r mode dpi alpha < <($py -c "from PIL import Image; im = Image.open('out.tif'); print(im.mode, round(im.info['dpi'][0]), im.getpixel((0, 0))[3])")
[ "$mode $dpi $alpha" = "RGBA 150 0" ] || fail "out.tif is $mode $dpi $alpha"
[ "$($py -c "from PIL import Image; im = Image.open('out.bmp'); print(*im.size, *im.getpixel((5, 5)))")" = "20 10 9 8 7" ] ||
  fail "out.bmp"

[ "$("$mve" info in.png)" = "in.png: PNG, 64x48, 150 dpi, transparent" ] || fail "info in.png: $("$mve" info in.png)"
[ "$("$mve" info out.jpg)" = "out.jpg: JPEG, 64x48, 300 dpi" ] || fail "info out.jpg"
[ "$("$mve" info in.webp)" = "in.webp: WebP, 20x10, 72 dpi" ] || fail "info in.webp"

# Refusals: unknown output format, bad options, unreadable input; the old output survives.
cp out.jpg keep.jpg
if "$mve" convert in.png out.xyz 2>/dev/null; then fail "wrote .xyz"; fi
if "$mve" convert in.png out.jpg --quality 101 2>/dev/null; then fail "took quality 101"; fi
if "$mve" convert missing.png out.jpg 2>/dev/null; then fail "read a missing file"; fi
if "$mve" info missing.png 2>/dev/null; then fail "info of a missing file"; fi
cmp -s out.jpg keep.jpg || fail "a failed convert changed out.jpg"
[ ! -e out.xyz ] || fail "out.xyz exists"
echo "mve convert/info: all checks passed"
