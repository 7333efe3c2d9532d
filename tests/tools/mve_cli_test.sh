#!/usr/bin/env bash
# The command line of mve: --help on every subcommand, exit 2 with one line
# for a wrong command line, 1 with one line for work that failed, no
# progress line when standard error is not a terminal, and the clipboard
# round trip through another program (xclip) on an Xvfb display of its own.
set -euo pipefail
mve=$1
dir=$(mktemp -d)
xvfb_pid=
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$dir"' EXIT
cd "$dir"
py=/usr/bin/python3
fail() { echo "FAILED: $*" >&2; exit 1; }

for cmd in convert info effect effects effects-sheet filter plugins plugin-run record demo play render clipboard; do
  "$mve" "$cmd" --help >help.txt || fail "$cmd --help exit $?"
  grep -q "^Usage: mve $cmd" help.txt || fail "$cmd --help: $(head -2 help.txt)"
done
"$mve" --help >help.txt
for cmd in play render clipboard convert; do grep -q "^  $cmd " help.txt || fail "mve --help lacks $cmd"; done

expect_exit() {  # code, then the command line
  local want=$1; shift
  set +e
  "$mve" "$@" >/dev/null 2>err.txt
  local got=$?
  set -e
  [ "$got" = "$want" ] || fail "mve $* exited $got, not $want: $(cat err.txt)"
  [ "$(wc -l <err.txt)" = 1 ] || fail "mve $*: not one line on stderr: $(cat err.txt)"
}
$py -c "from PIL import Image; Image.new('RGBA', (6, 4), (10, 200, 30, 255)).save('in.png')"
# A wrong command line: 2.
expect_exit 2
expect_exit 2 paint in.png
expect_exit 2 convert in.png
expect_exit 2 convert in.png out.png --quality abc
expect_exit 2 convert in.png out.png --colour
expect_exit 2 effect "Box Blur" in.png out.png --rgb 1,2
expect_exit 2 record out --ms 0
expect_exit 2 clipboard
# Work that fails: 1, with the reason.
expect_exit 1 info missing.png
expect_exit 1 convert missing.png out.png
expect_exit 1 effect "No Such Effect" in.png out.png
expect_exit 1 render missing.ora out.png
expect_exit 1 play missing.srp out.png
expect_exit 1 record out --size 3x3
grep -q "16..8000" err.txt || fail "record --size: $(cat err.txt)"
[ -z "$(ls -A | grep -v -e '^in.png$' -e '^err.txt$' -e '^help.txt$')" ] || fail "left behind: $(ls -A)"

# Success: 0, and (stderr not a terminal) no progress line even for long work.
"$mve" convert in.png out.bmp >/dev/null 2>err.txt
"$mve" --quiet effect "Box Blur" in.png blur.png --p1 300 >/dev/null 2>>err.txt
"$mve" effect "Box Blur" in.png blur.png --p1 300 -q >/dev/null 2>>err.txt
[ ! -s err.txt ] || fail "stderr not empty: $(cat err.txt)"

# Clipboard without a display: the picture lives in the process, so copy
# reads it back at once.
env -u DISPLAY "$mve" clipboard copy in.png --paste-to back.png >/dev/null
[ "$($py -c "from PIL import Image; print(*Image.open('back.png').convert('RGBA').getpixel((5, 3)))")" = "10 200 30 255" ] ||
  fail "clipboard without a display"
expect_exit 1 clipboard paste empty.png
grep -q "no picture" err.txt || fail "paste of an empty clipboard: $(cat err.txt)"

# With a display: xclip reads what mve holds, and mve reads what xclip holds.
exec 3< <(Xvfb -displayfd 1 -screen 0 320x240x24 -nolisten tcp 2>/dev/null & echo "pid $!"; wait)
# Two lines in either order: "pid N" from the shell, the display number from Xvfb.
for _ in 1 2; do
  read -r first second <&3
  if [ "$first" = pid ]; then xvfb_pid=$second; else display=$first; fi
done
export DISPLAY=":$display"
"$mve" clipboard copy in.png --hold 6 >/dev/null &
holder=$!
for _ in $(seq 50); do
  xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -q image/png && break
  sleep 0.1
done
xclip -selection clipboard -t image/png -o >fromx.png
kill "$holder" 2>/dev/null || true
[ "$($py -c "from PIL import Image; print(*Image.open('fromx.png').convert('RGBA').getpixel((0, 0)))")" = "10 200 30 255" ] ||
  fail "xclip did not get mve's picture"
$py -c "from PIL import Image; Image.new('RGB', (3, 2), (250, 5, 90)).save('other.png')"
xclip -selection clipboard -t image/png -i other.png
"$mve" clipboard paste pasted.png >/dev/null
[ "$($py -c "from PIL import Image; im = Image.open('pasted.png').convert('RGB'); print(*im.size, *im.getpixel((2, 1)))")" = "3 2 250 5 90" ] ||
  fail "mve did not get xclip's picture"
echo "mve command line: ok"
