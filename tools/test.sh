#!/usr/bin/env bash
# Builds every tree and runs every test:
#   build/asan     native, AddressSanitizer + UndefinedBehaviorSanitizer: unit tests
#   build/tsan     native, ThreadSanitizer: the threaded test programs only
#   build/release  native, optimised: instruction exercisers and benchmarks
#   build/fuzz     native, clang with libFuzzer and the sanitizers: the fuzz targets,
#                  each replaying its seed corpus (tools/fuzz.sh fuzzes for longer)
#   build/win      32-bit Windows (MinGW-w64), optimised: unit tests and exercisers under Wine
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash tools/setup.sh

jobs=$(nproc)
gen=(-G Ninja)
ctest_args=(--output-on-failure -j "$jobs")

step() { printf '\n=== %s\n' "$*"; }

step "native tree with address and undefined-behaviour sanitizers"
cmake -S . -B build/asan "${gen[@]}" -DCMAKE_BUILD_TYPE=Debug -DKUV_SANITIZE=ON >/dev/null
cmake --build build/asan -j "$jobs"
(cd build/asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest "${ctest_args[@]}" -L unit)

step "native tree with thread sanitizer (threaded tests)"
cmake -S . -B build/tsan "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKUV_TSAN=ON >/dev/null
tsan_targets=$(cd build/tsan && ctest -N -L threads | sed -n 's/^ *Test *#[0-9]*: *//p')
if [ -n "$tsan_targets" ]; then
  # shellcheck disable=SC2086
  cmake --build build/tsan -j "$jobs" --target $tsan_targets
  (cd build/tsan && TSAN_OPTIONS=halt_on_error=1 ctest "${ctest_args[@]}" -L threads)
fi

step "native optimised tree: exercisers and benchmarks"
cmake -S . -B build/release "${gen[@]}" -DCMAKE_BUILD_TYPE=Release -DKUV_BENCH=ON >/dev/null
cmake --build build/release -j "$jobs"
if (cd build/release && ctest -N -L exerciser | grep -q 'Total Tests: [1-9]'); then
  (cd build/release && ctest "${ctest_args[@]}" -L exerciser)
fi
for bench in build/release/*/*_bench; do
  [ -x "$bench" ] || continue
  step "benchmark $(basename "$bench")"
  "$bench" --benchmark_min_time=0.2
done

step "clang fuzz tree: fuzz targets replay their seed corpora"
CC=clang CXX=clang++ cmake -S . -B build/fuzz "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKUV_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$jobs" --target fuzz_targets
(cd build/fuzz && ctest "${ctest_args[@]}" -L fuzz)

step "32-bit Windows tree under Wine"
cmake -S . -B build/win "${gen[@]}" -DCMAKE_BUILD_TYPE=Release -DKUV_BENCH=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/win -j "$jobs"
xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
fi
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; true' EXIT
# The sound tests play through waveOut into ALSA's default device, which a
# HOME of their own points at a file, so they run alone and check what was played.
(cd build/win && ctest "${ctest_args[@]}" -L unit -E '^sound_tests$')
if (cd build/win && ctest -N -R '^sound_tests$' | grep -q 'Total Tests: 1'); then
  snd_home=$(mktemp -d)
  printf 'pcm.!default { type file; slave.pcm "null"; file "%s/capture.raw"; format "raw" }\n' \
    "$snd_home" > "$snd_home/.asoundrc"
  (cd build/win && HOME="$snd_home" KUV_ALSA_CAPTURE="$snd_home/capture.raw" \
    ctest --output-on-failure -R '^sound_tests$')
  rm -rf "$snd_home"
fi
(cd build/win && ctest "${ctest_args[@]}" -L exerciser)
