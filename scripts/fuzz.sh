#!/usr/bin/env bash
# Runs one libFuzzer target for a while, niced, on its seeds plus what earlier runs found:
#   scripts/fuzz.sh DetectorFuzzer [seconds] [extra libFuzzer flags...]
# Needs the fuzzing build (see fuzz/CMakeLists.txt) in build-fuzz/ (or $MIRREL_FUZZ_DIR).
# New inputs go to build-fuzz/corpus/<target>, crashes to build-fuzz/findings/<target>; the
# seeds in the repository are only read.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRREL_FUZZ_DIR:-$root/build-fuzz}"
target="$1"
seconds="${2:-600}"
shift $(( $# >= 2 ? 2 : 1 ))

work="$build/corpus/$target"
findings="$build/findings/$target"
mkdir -p "$work" "$findings"
export QT_QPA_PLATFORM=offscreen
# One-time allocations of Qt's and OpenCV's that live until exit are not leaks of ours.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
exec nice -n 10 "$build/fuzz/$target" -max_total_time="$seconds" -timeout=20 \
    -rss_limit_mb=3072 -print_final_stats=1 -artifact_prefix="$findings/" "$@" \
    "$work" "$root/fuzz/corpus/$target"
