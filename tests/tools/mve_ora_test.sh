#!/usr/bin/env bash
# OpenRaster documents: one written by hand here with Python's zipfile (as
# another paint program would) is read by mve info, composited by mve render,
# converted to a new .ora (opened again by zipfile and PIL) and edited on one
# layer; broken documents fail with one line and leave no output behind.
set -euo pipefail
mve=$1
source "$(dirname "$0")/scratch.sh"

$py - <<'PY'
import io, struct, zipfile, zlib
from PIL import Image

def png16(w, h, rgba, declared=None):
    # An RGBA PNG of 16-bit samples, written by hand (PIL cannot write one).
    raw = b''.join(b'\0' + b''.join(struct.pack('>4H', *rgba(x, y)) for x in range(w)) for y in range(h))
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', *(declared or (w, h)), 16, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))

def png8(im):
    out = io.BytesIO()
    im.save(out, 'PNG')
    return out.getvalue()

ink = Image.new('RGBA', (64, 48), (0, 0, 0, 0))
for x in range(16, 48):
    for y in range(12, 36):
        ink.putpixel((x, y), (200, 60, 40, 255))
layers = {
    'data/paper.png': png16(64, 48, lambda x, y: (65535, 65535, 65535, 65535)),
    'data/hidden.png': png8(Image.new('RGBA', (8, 8), (0, 255, 0, 255))),
    'data/ink.png': png8(ink),
    'data/tint.png': png8(Image.new('RGBA', (10, 10), (0, 0, 255, 255))),
}
stack = '''<?xml version="1.0" encoding="UTF-8"?>
<image version="0.0.3" w="64" h="48">
  <stack>
    <layer name="tint" src="data/tint.png" x="50" y="2" opacity="1.0" composite-op="svg:multiply"/>
    <layer name="ink" src="data/ink.png" opacity="0.5" visibility="visible"/>
    <layer name="hidden" src="data/hidden.png" visibility="hidden"/>
    <layer name="paper" src="data/paper.png"/>
  </stack>
</image>'''

def write(name, stack_xml, files, mimetype=b'image/openraster'):
    with zipfile.ZipFile(name, 'w') as z:
        z.writestr(zipfile.ZipInfo('mimetype'), mimetype, compress_type=zipfile.ZIP_STORED)
        z.writestr('stack.xml', stack_xml, compress_type=zipfile.ZIP_DEFLATED)
        for path, data in files.items():
            z.writestr(path, data)

write('doc.ora', stack, layers)
write('malformed.ora', stack.replace('</stack>', ''), layers)
write('missing.ora', stack, {k: v for k, v in layers.items() if k != 'data/ink.png'})
write('wrongtype.ora', stack, layers, mimetype=b'image/png')
# Bombs: a canvas above the 100-million-pixel limit, a layer whose PNG header
# claims 20000 x 20000, and a 6 MB stack.xml that deflates to a few kilobytes.
write('bigcanvas.ora', stack.replace('w="64" h="48"', 'w="20000" h="20000"'), layers)
bomb = dict(layers)
bomb['data/paper.png'] = png16(1, 1, lambda x, y: (0, 0, 0, 0), declared=(20000, 20000))
write('biglayer.ora', stack, bomb)
write('bigxml.ora', stack.replace('<stack>', '<stack>' + ' ' * (6 << 20)), layers)
open('notazip.ora', 'w').write('this is not a zip\n')
PY

# Read back: layer order (top first), position, size, opacity, visibility, mode and depth.
cat >expected.txt <<'TXT'
doc.ora: OpenRaster, 64x48, 4 layers
  "tint" at 50,2 10x10 opacity 1.00 visible Multiply 8-bit
  "ink" at 0,0 64x48 opacity 0.50 visible Normal 8-bit
  "hidden" at 0,0 8x8 opacity 1.00 hidden Normal 8-bit
  "paper" at 0,0 64x48 opacity 1.00 visible Normal 16-bit
TXT
"$mve" info doc.ora >info.txt
diff -u expected.txt info.txt || fail "mve info doc.ora"

# Composite: the half-transparent ink over white is (200+255)/2, (60+255)/2,
# (40+255)/2 = 227.5, 157.5, 147.5; the blue tint multiplied over white stays
# blue; the hidden green layer shows nowhere.
"$mve" render doc.ora flat.png >/dev/null
$py - <<'PY' || fail "render"
from PIL import Image
im = Image.open('flat.png').convert('RGBA')
def near(p, q, tol=2): return all(abs(a - b) <= tol for a, b in zip(p, q))
assert near(im.getpixel((30, 20)), (227.5, 157.5, 147.5, 255)), im.getpixel((30, 20))
assert near(im.getpixel((55, 7)), (0, 0, 255, 255)), im.getpixel((55, 7))
assert near(im.getpixel((2, 2)), (255, 255, 255, 255)), im.getpixel((2, 2))
assert near(im.getpixel((5, 40)), (255, 255, 255, 255)), im.getpixel((5, 40))
PY

# Written by mve, opened as any other program would.
"$mve" convert doc.ora out.ora >/dev/null
$py - <<'PY' || fail "out.ora"
import io, zipfile
import xml.etree.ElementTree as ET
from PIL import Image
z = zipfile.ZipFile('out.ora')
first = z.infolist()[0]
assert first.filename == 'mimetype' and first.compress_type == zipfile.ZIP_STORED, first
assert z.read('mimetype') == b'image/openraster'
assert first.extra == b'', first.extra
root = ET.fromstring(z.read('stack.xml'))
assert (root.get('w'), root.get('h')) == ('64', '48')
layers = root.findall('./stack/layer')
assert [l.get('name') for l in layers] == ['tint', 'ink', 'hidden', 'paper'], [l.get('name') for l in layers]
assert [l.get('visibility') for l in layers] == ['visible', 'visible', 'hidden', 'visible']
assert [float(l.get('opacity')) for l in layers] == [1.0, 0.5, 1.0, 1.0]
assert [l.get('composite-op') for l in layers] == ['svg:multiply', 'svg:src-over', 'svg:src-over', 'svg:src-over']
assert (layers[0].get('x'), layers[0].get('y')) == ('50', '2')
for l in layers:
    im = Image.open(io.BytesIO(z.read(l.get('src'))))
    im.load()
# The 16-bit paper stays 16-bit: bit depth is byte 24 of the PNG.
assert z.read(layers[3].get('src'))[24] == 16
merged = Image.open(io.BytesIO(z.read('mergedimage.png'))).convert('RGBA')
assert merged.size == (64, 48)
assert all(abs(a - b) <= 2 for a, b in zip(merged.getpixel((55, 7)), (0, 0, 255, 255)))
thumb = Image.open(io.BytesIO(z.read('Thumbnails/thumbnail.png')))
assert thumb.size == (64, 48), thumb.size
PY
"$mve" info out.ora | tail -n +2 >again.txt
tail -n +2 expected.txt | diff -u - again.txt || fail "out.ora does not read back as doc.ora"

# An effect on one layer (3 = ink, counted from the bottom): the drop shadow of
# the square, moved by trunc(4 % of 64) = 2 and trunc(6 % of 48) = 2, in
# (20, 20, 60); the paper below is untouched.
"$mve" convert doc.ora fx.ora --effect "Drop Shadow" --layer 3 --p1 540 --p2 560 --p3 100 --p4 1000 \
  --rgb 20,20,60 >/dev/null
$py - <<'PY' || fail "convert --effect"
import io, zipfile
import xml.etree.ElementTree as ET
from PIL import Image
z = zipfile.ZipFile('fx.ora')
src = {l.get('name'): l.get('src') for l in ET.fromstring(z.read('stack.xml')).iter('layer')}
ink = Image.open(io.BytesIO(z.read(src['ink']))).convert('RGBA')
assert ink.getpixel((30, 20)) == (200, 60, 40, 255), ink.getpixel((30, 20))
r, g, b, a = ink.getpixel((48, 36))
assert a > 0 and abs(r - 20) <= 2 and abs(g - 20) <= 2 and abs(b - 60) <= 2, (r, g, b, a)
paper = Image.open(io.BytesIO(z.read(src['paper'])))
assert paper.getpixel((48, 36)) in ((65535, 65535, 65535, 65535), (255, 255, 255, 255), 65535), paper.getpixel((48, 36))
PY

# A flat picture becomes a one-layer document.
$py -c "from PIL import Image; Image.new('RGB', (5, 3), (9, 8, 7)).save('flat5.png')"
"$mve" convert flat5.png one.ora >/dev/null
[ "$("$mve" info one.ora | sed -n 2p)" = '  "Background" at 0,0 5x3 opacity 1.00 visible Normal 8-bit' ] ||
  fail "picture to .ora"

# Broken documents: one line naming the fault, exit 1, no output file.
check_refused() {  # file, text expected in the message
  if "$mve" render "$1" bad.png 2>err.txt; then fail "$1 was rendered"; fi
  [ "$(wc -l <err.txt)" = 1 ] || fail "$1: $(cat err.txt)"
  grep -q "$2" err.txt || fail "$1: $(cat err.txt)"
  [ ! -e bad.png ] || fail "$1 left bad.png"
  if "$mve" convert "$1" bad.ora 2>/dev/null; then fail "$1 was converted"; fi
  [ -z "$(ls -A | grep -e '^bad' -e partial)" ] || fail "$1 left $(ls -A)"
}
check_refused notazip.ora "not a readable zip"
check_refused malformed.ora "stack.xml is malformed"
check_refused missing.ora "no data/ink.png"
check_refused wrongtype.ora "mimetype"
check_refused bigcanvas.ora "canvas limit"
check_refused biglayer.ora "canvas limit"
check_refused bigxml.ora "stack.xml declares"
echo "mve OpenRaster: ok"
