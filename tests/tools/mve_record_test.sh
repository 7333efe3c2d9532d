#!/usr/bin/env bash
# mve record: the AVI and the GIF hold the same frames (as many as mve says
# it recorded), at the period asked for; the first frame is the bare paper
# (250, 246, 236) and the last one shows paint.
set -euo pipefail
mve=$1
source "$(dirname "$0")/scratch.sh"

said=$("$mve" record rec --ms 50 --size 96x64 --dabs-per-frame 10)
frames=$(echo "$said" | sed -n 's/.* in \([0-9]*\) frames.*/\1/p')
[ -n "$frames" ] && [ "$frames" -gt 4 ] || fail "mve said: $said"

# 50 ms a frame: 20 frames a second.
probe=$(ffprobe -v error -count_frames -show_entries stream=codec_name,width,height,r_frame_rate,nb_read_frames \
  -of csv=p=0 rec.avi)
[ "$probe" = "mjpeg,96,64,20/1,$frames" ] || fail "ffprobe: $probe (expected $frames frames)"

info=$(gifsicle --info rec.gif)
grep -q "$frames images" <<<"$info" || fail "gifsicle: $info"
[ "$(echo "$info" | grep -c 'delay 0.05s')" = "$frames" ] || fail "delays: $info"

/usr/bin/python3 - "$frames" <<'PY'
import sys
from PIL import Image
frames = int(sys.argv[1])
im = Image.open('rec.gif')
assert im.n_frames == frames, im.n_frames
first = im.convert('RGB')
assert first.getpixel((2, 2)) == (250, 246, 236), first.getpixel((2, 2))
im.seek(frames - 1)
last = im.convert('RGB')
changed = sum(1 for y in range(64) for x in range(96) if last.getpixel((x, y)) != (250, 246, 236))
assert changed > 96 * 64 // 10, changed
PY
