#!/usr/bin/env bash
# Builds the 32-bit Windows program and runs it under Wine (on a virtual X display
# when none is set).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/win -j "$(nproc)"
exe=build/win/app/kuvemu.exe
if [ ! -f "$exe" ]; then
  echo "The emulator program itself is not built yet: so far the repository holds the libraries below the"
  echo "user interface and their tests (run them with: bash tools/test.sh)."
  exit 1
fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" tools/wine-run.sh "$exe" "$@"
fi
exec tools/wine-run.sh "$exe" "$@"
