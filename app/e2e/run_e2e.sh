#!/usr/bin/env bash
# The program end to end under Wine: a copy of it in a folder of its own with C-BIOS as
# "msx.rom" and settings that start the emulation at once (fast initialisation, "No
# Sound"). It must open its window titled "KUV/Computer Emulator", show the BIOS's
# start-up screen, show the speed in the caption, take a key (fast initialisation runs
# flat out until the machine gets its first key, then the speed settles at 100), and
# close on WM_CLOSE with exit code 0, leaving its settings file.
# Before closing, driven through its menus, toolbar, drive icon and keys like a user:
# - the About box opens from the Help menu and closes on Return;
# - F11 and Return write the machine's state file;
# - the Sound menu's "WaveSound" plays into ALSA (pointed at a file by a HOME of the
#   test's own); "No Sound" runs too;
# - the Video menu's "OpenGL" renderer shows the start-up screen and takes a key, the
#   console shows once it is stopped, and "WinGDI" then shows the start-up screen again,
#   without a restart;
# - a double-click on the cartridge icon opens the file dialog; the cartridge chosen there
#   runs after Stop and Start (the screen is no longer the BIOS's);
# - F12 and Return bring the saved moment back: the BIOS's start-up screen, running on;
# - the Computer menu switches to the ColecoVision (on our own BIOS as "coleco.rom"),
#   which runs its cartridge (chosen through the icon's file dialog again), and back to
#   the MSX-1, which runs.
# Then a second start, on a damaged machine settings file ("settings/msx_1.ini" cut in
# half) with an older "msx_1.ini.bad" beside it, and a damaged "kuvemu.ini": the damaged
# bytes are kept as the .bad files, and once the run that started at once is stopped
# through the Emulation menu, the console opens with both notices in the error colour,
# the longer one broken into two lines that fit; they are broken again to fit when the
# window is made narrower, and joined again when it is made wider.
#
# run_e2e.sh <kuvemu.exe> <kuv_e2e_helper.exe> <reference.png> <bios.rom> <build tree>
#            <coleco bios> <msx cartridge> <coleco cartridge>
set -euo pipefail
exe=$1 helper=$2 reference=$3 bios=$4 coleco=$6 cartridge=$7 coleco_cartridge=$8
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

mkdir -p "$work/prog/configs" "$work/media" "$work/home"
cp "$exe" "$work/prog/kuvemu.exe"
cp "$bios" "$work/prog/configs/msx.rom"
cp "$coleco" "$work/prog/configs/coleco.rom"
cp "$cartridge" "$work/media/game.rom"
cp "$coleco_cartridge" "$work/media/game.col"
# waveOut plays through ALSA's default device, here a file.
capture="$work/home/capture.raw"
printf 'pcm.!default { type file; slave.pcm "null"; file "%s"; format "raw" }\n' "$capture" \
  > "$work/home/.asoundrc"
win settings "$(dos "$work/prog/kuvemu.ini")" || fail "settings file not written"
# The window is told apart from another copy's by its program's folder.
key=$(basename "$work")

HOME="$work/home" "$tools/wine-run.sh" "$work/prog/kuvemu.exe" &
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

# Another copy of this test may show its window at the same place: ours are raised before
# each look and each key, in the order they were made, so that an owned window (the
# OpenGL renderer's, a dialog) stays above its owner as Windows keeps it.
program_xids() { xdotool search --pid "$pid" 2>/dev/null | sort -n; }
[ -n "$(program_xids)" ] || fail "no X window for the program"
raise() { local xid; for xid in $(program_xids); do xdotool windowraise "$xid" >/dev/null 2>&1 || true; done; }

# Another copy of this test on the same display would raise its window, open its menus and
# dialogs and take the keys over ours: from here on the copies of one build tree take turns.
exec 8>"$KUV_WINE_BUILD/app_e2e_ui.lock"
flock 8

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

# --- through the menus, the toolbar, the drive icon and the keys -------------------------
# Places relative to the window's top-left corner: the menu bar's row and its captions,
# the first entry of an open menu and the height of an entry, the toolbar's Start and
# Stop buttons and the cartridge icon of the drive panel.
bar_y=33 entry_y=53 entry_h=18
start_x=50 stop_x=231 toolbar_y=60 icon_x=354 icon_y=61
emulation_x=40 computer_x=108 video_x=217 sound_x=264 help_x=499
wx=0 wy=0
origin() { read -r wx wy <<<"$(win window "$key")"; }
click_at() { origin && raise && xdotool mousemove $((wx + $1)) $((wy + $2)) click 1; }
# Opens the menu at bar position x and picks its entry number n (from 0, no separator
# above it).
pick() {
  click_at "$1" "$bar_y"
  sleep 1
  xdotool mousemove $((wx + $1 + 20)) $((wy + entry_y + $2 * entry_h)) click 1
  sleep 1
}
dialog_open() { win dialog "$key" "$1" >/dev/null 2>&1; }
dialog_closed() { ! dialog_open "$1"; }
# A key on the emulation screen (F11, F12 come back from the machine to the window).
screen_key() {
  local geometry w h x y
  geometry=$(win screen "$key") || return 1
  read -r w h x y <<<"$geometry"
  raise
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1 sleep 0.3 key "$1"
}
running() { read_title && [ -n "$(speed)" ]; }
stopped() { read_title && [ -z "$(speed)" ]; }
stop_run() { click_at "$stop_x" "$toolbar_y"; wait_for 30 stopped || fail "Stop did not stop: \"$title\""; }
start_run() { click_at "$start_x" "$toolbar_y"; wait_for 60 running || fail "Start did not run: \"$title\""; }
differs() { ! matches; }
# The console: light text on black, so dark (mean about 0.01, the start-up screen's 0.3)
# but not of one colour (deviation about 0.09, a renderer cleared to its border 0). Read
# without raising the windows first: a raised OpenGL window that no longer presents would
# show what lay over it, here the console drawn beneath it.
console_shown() {
  local geometry w h x y figures
  geometry=$(win screen "$key") || return 1
  read -r w h x y <<<"$geometry"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shot" 2>/dev/null || return 1
  figures=$(convert "$shot" -colorspace gray -format '%[fx:mean] %[fx:standard_deviation]' info:) || return 1
  awk -v f="$figures" 'BEGIN { split(f, v, " "); exit !(v[1] < 0.1 && v[2] > 0.03) }'
}

pick "$help_x" 0
wait_for 20 dialog_open About || fail "the About box did not open"
raise; xdotool key Return
wait_for 20 dialog_closed About || fail "the About box did not close on Return"
wait_for 30 running || fail "the emulation does not run after the About box: \"$title\""
echo "About box opened and closed"

state="$work/prog/states/msx_1.sav"
screen_key F11
wait_for 20 dialog_open Confirmation || fail "F11 asked nothing"
xdotool key Return
wait_for 30 test -s "$state" || fail "no state file after F11 and Return"
echo "F11: state file $(basename "$state") written"

stop_run
pick "$sound_x" 1
start_run
played=0
plays() { local n; n=$(stat -c %s "$capture" 2>/dev/null || echo 0); [ "$n" -gt "$played" ] && [ "$played" -gt 0 ] && return 0; played=$n; return 1; }
wait_for 30 plays || fail "WaveSound played nothing into ALSA"
echo "WaveSound plays ($played bytes so far)"
stop_run
pick "$sound_x" 0
start_run
echo "No Sound runs"

# Each renderer shows the start-up screen on the display, WinGDI at once after OpenGL.
stop_run
pick "$video_x" 1
start_run
wait_for 60 matches || fail "the OpenGL renderer does not show the start-up screen (error $error)"
echo "OpenGL renderer shows the start-up screen (error $error): $title"
wait_for 60 synced || fail "the click and key on the OpenGL screen did not reach the machine: \"$title\""
echo "a click and a key on the OpenGL screen reach the machine: $title"
stop_run
wait_for 30 console_shown || fail "the console does not show over the OpenGL picture once stopped"
echo "the console shows once stopped under OpenGL"
pick "$video_x" 0
start_run
wait_for 60 matches || fail "WinGDI after OpenGL does not show the start-up screen (error $error)"
echo "WinGDI renderer shows the start-up screen again (error $error): $title"

# A double-click on the cartridge icon, the file named in the file dialog.
load_cartridge() {
  origin && raise && xdotool mousemove $((wx + icon_x)) $((wy + icon_y)) click --repeat 2 --delay 80 1
  wait_for 20 dialog_open Open || fail "a double-click on the cartridge icon opened no file dialog"
  xdotool type --delay 20 "$(dos "$1")"
  xdotool key Return
  wait_for 20 dialog_closed Open || fail "the file dialog did not take $1"
}
load_cartridge "$work/media/game.rom"
stop_run
start_run
wait_for 60 differs || fail "the cartridge chosen in the file dialog does not run"
echo "cartridge loaded through the file dialog runs (error $error against the BIOS screen)"

screen_key F12
wait_for 20 dialog_open Confirmation || fail "F12 asked nothing"
xdotool key Return
wait_for 30 matches || fail "F12 did not bring the saved screen back (error $error)"
wait_for 30 running || fail "the loaded machine does not run: \"$title\""
echo "F12: the saved moment is back and runs"

stop_run
pick "$computer_x" 1
load_cartridge "$work/media/game.col"
coleco_runs() { running && [[ "$title" == *" - ColecoVision ("* ]]; }
click_at "$start_x" "$toolbar_y"
wait_for 60 coleco_runs || fail "the ColecoVision does not run: \"$title\""
echo "ColecoVision runs: $title"
stop_run
pick "$computer_x" 0
msx_runs() { running && [[ "$title" == *" - MSX-1 ("* ]]; }
click_at "$start_x" "$toolbar_y"
wait_for 60 msx_runs || fail "the MSX-1 does not run again: \"$title\""
echo "MSX-1 runs again: $title"

# WM_CLOSE, and the program must end with exit code 0.
close_program() {
  win close "$key" || fail "WM_CLOSE not posted"
  local code=0
  wait "$pid" || code=$?
  pid=""
  [ "$code" -eq 0 ] || fail "exit code $code$1"
}
close_program ""
head -c 6 "$work/prog/kuvemu.ini" | grep -qx KUVINI || fail "settings file does not begin with KUVINI"
grep -q msx_1 "$work/prog/kuvemu.ini" || fail "settings file does not name the machine"
echo "closed with exit code 0; settings file names msx_1"

# --- a damaged machine settings file at the next start --------------------------------
ini="$work/prog/settings/msx_1.ini"
[ -s "$ini" ] || fail "no machine settings file settings/msx_1.ini after closing"
head -c $(($(stat -c %s "$ini") / 2)) "$ini" > "$work/damaged.ini"
cp "$work/damaged.ini" "$ini"
printf 'an older damaged copy\n' > "$ini.bad"
# kuvemu.ini cut within its ninth value (keys in byte order): auto-start and the values
# before it are read, so its notice says they are used and is longer than a line.
kini="$work/prog/kuvemu.ini"
cut_at=$(grep -abo guiMaximizeOnStartup "$kini" | head -1 | cut -d: -f1)
[ -n "$cut_at" ] || fail "kuvemu.ini holds no guiMaximizeOnStartup"
head -c "$cut_at" "$kini" > "$work/damaged_kuvemu.ini"
cp "$work/damaged_kuvemu.ini" "$kini"
HOME="$work/home" "$tools/wine-run.sh" "$work/prog/kuvemu.exe" &
pid=$!
wait_for 60 running || fail "the second start does not run at once: \"$title\""
# The two notices (ReportColor::kError, #FF3C3C) as the console's first three text lines (8
# by 16 cells from pixel (3, 3)): kuvemu.ini's, longer than the console is wide, goes on in
# a line of its own instead of being cut. No other line there is of that colour.
red=""
red_in() {  # red pixels of the capture's 16 rows from $1
  convert "$shot" -crop "x16+0+$1" +repage -fuzz 5% -fill black +opaque '#FF3C3C' -fill white \
    -opaque '#FF3C3C' -format '%[fx:round(mean * w * h)]' info:
}
# notice_rows N: the first N text lines hold red, the one below them none.
notice_rows() {
  local geometry w h x y line
  geometry=$(win screen "$key") || return 1
  read -r w h x y <<<"$geometry"
  raise
  import -window root -crop "${w}x$((16 * $1 + 19))+${x}+${y}" +repage "$shot" 2>/dev/null || return 1
  red=""
  for line in $(seq 0 "$1"); do red="$red $(red_in $((16 * line + 3)))" || return 1; done
  line=0
  for count in $red; do
    if [ "$line" -lt "$1" ]; then [ "$count" -gt 100 ] || return 1; else [ "$count" -eq 0 ] || return 1; fi
    line=$((line + 1))
  done
}
pick "$emulation_x" 1
wait_for 30 stopped || fail "the Emulation menu's Stop did not stop: \"$title\""
wait_for 30 notice_rows 3 ||
  fail "the console does not show both settings notices in three lines once stopped (red pixels:$red)"
echo "the console shows both settings notices in three lines once stopped (red pixels:$red)"
# Dragged to its narrowest, the window's console breaks both notices again into five lines
# that fit, instead of cutting the three; wider than at first, they take three lines again.
win width "$key" 200 || fail "the window could not be sized"
wait_for 30 notice_rows 5 ||
  fail "the narrowest console does not show both notices broken again in five lines (red pixels:$red)"
echo "the narrowest console shows both notices broken again in five lines (red pixels:$red)"
win width "$key" 1000 || fail "the window could not be sized"
wait_for 30 notice_rows 3 ||
  fail "a wider console does not show both notices joined again in three lines (red pixels:$red)"
echo "a wider console shows both notices in three lines again (red pixels:$red)"
cmp -s "$ini.bad" "$work/damaged.ini" || fail "settings/msx_1.ini.bad does not hold the damaged file"
cmp -s "$kini.bad" "$work/damaged_kuvemu.ini" || fail "kuvemu.ini.bad does not hold the damaged file"
echo "the damaged settings files are kept as settings/msx_1.ini.bad and kuvemu.ini.bad"
close_program " after the second start"
