#!/usr/bin/env bash
# Fuzzes every reader of outside bytes for longer than the test command does:
#   bash tools/fuzz.sh [seconds per target, default 300] [target ...]
# Builds build/fuzz (clang, libFuzzer, AddressSanitizer + UndefinedBehaviorSanitizer),
# then runs each target (all of fuzz/*_fuzz.cpp when none is named) on a working corpus
# that starts from its seeds, with a 512 MB memory limit, a few at a time (KUV_FUZZ_JOBS,
# default half the processors). Findings go to build/fuzz/findings/<target>/; the
# command fails when there is any. Replay one with: build/fuzz/fuzz/<target> <file>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh

seconds=${1:-300}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
jobs=${KUV_FUZZ_JOBS:-$(( ($(nproc) + 1) / 2 ))}

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKUV_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$(nproc)" --target "${targets[@]}"

out="$root/build/fuzz"
run_one() {
  local target=$1 seconds=$2 out=$3
  local corpus="$out/corpus/$target" findings="$out/findings/$target"
  mkdir -p "$corpus" "$findings"
  cp -n "$out/fuzz/seeds/$target"/* "$corpus"/ 2>/dev/null || true
  if "$out/fuzz/$target" "$corpus" -max_total_time="$seconds" -rss_limit_mb=512 -malloc_limit_mb=512 \
      -timeout=10 -artifact_prefix="$findings/" -print_final_stats=1 >"$out/findings/$target.log" 2>&1; then
    echo "$target: nothing found ($(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$out/findings/$target.log" | grep -o '[0-9]*$') inputs)"
  else
    echo "$target: FOUND something, see $findings and $out/findings/$target.log"
    return 1
  fi
}
export -f run_one
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ {} "$seconds" "$out"
