#!/usr/bin/env bash
# Builds the 32-bit Windows program and runs it under Wine (on a virtual X display
# when none is set).
#
# The program keeps its data beside itself (build/win/app/): BIOS files in "configs",
# settings in "kuvemu.ini", machine settings and states in "settings" and "states".
# On the first run, when there is no "msx.rom" in "configs", Debian's open-source C-BIOS
# is put there, and a first settings file makes the emulation start with the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/win -j "$(nproc)" --target kuvemu
exe=build/win/app/kuvemu.exe
data=build/win/app
cbios=/usr/share/cbios/cbios_main_msx1.rom

# A BIOS the user put into the configs folder (or one of its machine folders) stays.
mkdir -p "$data/configs"
if [ -z "$(find "$data/configs" -iname msx.rom -print -quit)" ] && [ -f "$cbios" ]; then
  cp "$cbios" "$data/configs/msx.rom"
  echo "No MSX BIOS was found: put C-BIOS (open-source MSX BIOS, $cbios) in $data/configs/msx.rom."
  echo "Replace that file with your own \"msx.rom\" to run another BIOS."
fi

# First run: settings that start the emulation right away (the settings tree holding
# guiAutoStartEmulation = true; the program writes its full settings when it closes).
if [ ! -f "$data/kuvemu.ini" ]; then
  printf 'KUVINI\x00\x00\x00\x00\x01\x81\x94\x15\x00guiAutoStartEmulation\x04\x40\xff\xff' \
    > "$data/kuvemu.ini"
fi

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" tools/wine-run.sh "$exe" "$@"
fi
exec tools/wine-run.sh "$exe" "$@"
