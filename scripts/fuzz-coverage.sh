#!/usr/bin/env bash
# Line coverage of our sources reached by each fuzz target's corpus (the repository's seeds
# plus what scripts/fuzz.sh found in build-fuzz/corpus). Builds the targets with clang's
# source-based coverage into build-fuzzcov/ and replays the corpora once:
#   scripts/fuzz-coverage.sh [DecoderFuzzer DetectorFuzzer ToolFuzzer]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-fuzzcov"
found="${MIRREL_FUZZ_DIR:-$root/build-fuzz}/corpus"
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(DecoderFuzzer DetectorFuzzer ToolFuzzer)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMIRREL_BUILD_FUZZERS=ON -DMIRREL_BUILD_TESTS=OFF -DMIRREL_BUILD_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS="-fprofile-instr-generate -fcoverage-mapping" \
    -DCMAKE_EXE_LINKER_FLAGS="-fprofile-instr-generate" >/dev/null
nice -n 10 ninja -C "$build" -j2 "${targets[@]}"

export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
for target in "${targets[@]}"; do
    rm -f "$build/$target".*.profraw
    corpora=("$root/fuzz/corpus/$target")
    [ -d "$found/$target" ] && corpora+=("$found/$target")
    if ! LLVM_PROFILE_FILE="$build/$target.%p.profraw" nice -n 10 "$build/fuzz/$target" \
        -runs=0 "${corpora[@]}" >"$build/$target.log" 2>&1; then
        echo "== $target: an input failed on replay, see $build/$target.log" >&2
        exit 1
    fi
    llvm-profdata merge -sparse "$build/$target".*.profraw -o "$build/$target.profdata"
    echo "== $target"
    llvm-cov report "$build/fuzz/$target" -instr-profile="$build/$target.profdata" \
        "$root/core" "$root/cli" "$root/capture" | awk 'NR <= 2 || /\.cpp|TOTAL/'
done
