#!/usr/bin/env bash
# Builds the core and capture tests with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitize/ (or $MIRREL_SANITIZE_DIR) and runs them. The slow accuracy test is left out;
# it runs in the ordinary build. So is the command-line tool's test unless
# MIRREL_SANITIZE_TOOL=1: mirrel-measure links the app's views for annotate, which doubles this
# build (650 s of CPU instead of 310 s) and takes CI past its 15 minutes on 2 cores. The tool's
# logic runs under the same sanitizers in its fuzz target (scripts/fuzz.sh ToolFuzzer).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRREL_SANITIZE_DIR:-$root/build-sanitize}"
tests='^(core_|capture_|CardDetector)'
[ "${MIRREL_SANITIZE_TOOL:-0}" = 1 ] && tests='^(core_|capture_|cli_|CardDetector)'

# -O1 with line tables only: the sanitizers' usual level, and it builds in 40 % less time
# than -O2 -g, which keeps CI within its time.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRREL_SANITIZE=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DMIRREL_BUILD_BENCHMARKS=OFF >/dev/null
# Only the programs of the chosen tests (each is named after its test; a second run of the
# same program under another name has no target of its own).
targets=()
[ "${MIRREL_SANITIZE_TOOL:-0}" = 1 ] && targets+=(mirrel-measure)
while read -r name; do
    ninja -C "$build" -t query "$name" >/dev/null 2>&1 && targets+=("$name")
done < <(cd "$build" && ctest -N -R "$tests" -LE accuracy | sed -n 's/^ *Test *#[0-9]*: //p')
ninja -C "$build" "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export LSAN_OPTIONS="suppressions=$root/.ci/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$build"
ctest --output-on-failure --timeout 600 -j "$(nproc)" -R "$tests" -LE accuracy
