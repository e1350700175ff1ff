#!/usr/bin/env bash
# Runs a Windows test program under Wine with a prefix of the build tree's own,
# made once (wineboot) under a lock so that parallel tests share it. Wine's own
# messages stay off unless KUV_WINEDEBUG names channels (e.g. warn+heap).
set -u
exe=$1; shift
build=${KUV_WINE_BUILD:-$(cd "$(dirname "$exe")" && while [ ! -f CMakeCache.txt ] && [ "$PWD" != / ]; do cd ..; done; pwd)}
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=${KUV_WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.kuv-ready" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.kuv-ready" ]; then
      wineboot -i >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.kuv-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec wine "$exe" "$@"
