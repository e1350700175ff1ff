#!/usr/bin/env bash
# The program end to end under Wine: a copy of it in a folder of its own with C-BIOS as
# "msx.rom" and settings that start the emulation at once (fast initialisation, "No
# Sound"). It must open its window titled "KUV/Computer Emulator", show the BIOS's
# start-up screen, show the speed in the caption, take a key (fast initialisation runs
# flat out until the machine gets its first key, then the speed settles at 100), and
# close on WM_CLOSE with exit code 0, leaving its settings file.
#
# run_e2e.sh <kuvemu.exe> <kuv_e2e_helper.exe> <reference.png> <bios.rom> <build tree>
set -euo pipefail
exe=$1 helper=$2 reference=$3 bios=$4
export KUV_WINE_BUILD=$5
tools=$(cd "$(dirname "$0")/../../tools" && pwd)
[ -n "${DISPLAY:-}" ] || { echo "no X display"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kuv_e2e_XXXXXX")
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
win() { "$tools/wine-run.sh" "$helper" "$@" | tr -d '\r'; }
dos() { printf 'Z:%s' "${1//\//\\}"; }

mkdir -p "$work/prog/configs"
cp "$exe" "$work/prog/kuvemu.exe"
cp "$bios" "$work/prog/configs/msx.rom"
win settings "$(dos "$work/prog/kuvemu.ini")" || fail "settings file not written"
# The window is told apart from another copy's by its program's folder.
key=$(basename "$work")

"$tools/wine-run.sh" "$work/prog/kuvemu.exe" &
pid=$!

# Polls cmd (a function) every half second for at most $1 seconds.
wait_for() {
  local limit=$1; shift
  for _ in $(seq $((limit * 2))); do
    "$@" && return 0
    sleep 0.5
  done
  return 1
}

title=""
read_title() { title=$(win title "$key" 2>/dev/null) && [ -n "$title" ]; }
wait_for 60 read_title || fail "no main window"
case "$title" in
  "KUV/Computer Emulator"|"KUV/Computer Emulator - "*) ;;
  *) fail "window title \"$title\"" ;;
esac

speed() { sed -n 's/.*Speed=\([0-9]*\).*/\1/p' <<<"$title"; }
flat_out() { read_title && s=$(speed) && [ -n "$s" ] && [ "$s" -gt 120 ]; }
wait_for 60 flat_out || fail "caption shows no speed of a fast initialisation: \"$title\""
echo "caption: $title"

# Another copy of this test may show its window at the same place: ours is raised before
# each look and each key.
xids=$(xdotool search --pid "$pid" 2>/dev/null || true)
[ -n "$xids" ] || fail "no X window for the program"
raise() { for xid in $xids; do xdotool windowraise "$xid" >/dev/null 2>&1 || true; done; }

# The emulation screen against the stored picture, both scaled to 64 x 48 so that the
# window's size does not matter. The normalised RMSE of the screen shown is about 0.004;
# the same blue without the BIOS's text lies at 0.12, a black screen at 0.6.
shot="$work/screen.png"
convert "$reference" -resize '64x48!' "$work/reference_small.png"
error=""
matches() {
  local geometry w h x y
  geometry=$(win screen "$key") || return 1
  read -r w h x y <<<"$geometry"
  raise
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shot" 2>/dev/null || return 1
  convert "$shot" -resize '64x48!' "$work/screen_small.png" || return 1
  error=$(compare -metric RMSE "$work/screen_small.png" "$work/reference_small.png" null: 2>&1 |
          sed -n 's/.*(\(.*\))/\1/p')
  [ -n "$error" ] && awk -v e="$error" 'BEGIN { exit !(e < 0.06) }'
}
wait_for 60 matches || fail "the screen does not show the BIOS start-up screen (error $error)"
echo "screen matches the stored start-up picture (normalised RMSE $error)"

# A key for the machine: the speed settles at 100 once the machine has had it. Wine takes
# keys from the X input focus only; a click on the raised window gives it the focus.
synced() {
  local geometry w h x y
  geometry=$(win screen "$key") || return 1
  read -r w h x y <<<"$geometry"
  raise
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1 key --delay 100 space 2>/dev/null
  read_title && s=$(speed) && [ -n "$s" ] && [ "$s" -ge 85 ] && [ "$s" -le 115 ]
}
wait_for 60 synced || fail "the key did not reach the machine: \"$title\""
echo "after the key: $title"

win close "$key" || fail "WM_CLOSE not posted"
code=0
wait "$pid" || code=$?
pid=""
[ "$code" -eq 0 ] || fail "exit code $code"
head -c 6 "$work/prog/kuvemu.ini" | grep -qx KUVINI || fail "settings file does not begin with KUVINI"
grep -q msx_1 "$work/prog/kuvemu.ini" || fail "settings file does not name the machine"
echo "closed with exit code 0; settings file names msx_1"
