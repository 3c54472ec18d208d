#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each for a while.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target ProjectReaderFuzz IntelHexFuzz ResourceFuzz
out=build/fuzz/fuzz
export ASAN_OPTIONS="detect_leaks=0"
for target in ProjectReaderFuzz IntelHexFuzz ResourceFuzz; do
    corpus="build/fuzz/corpus/$target"
    mkdir -p "$corpus"
    # Start from real files where we have some.
    [ -d "fuzz/seeds/$target" ] && cp -n fuzz/seeds/"$target"/* "$corpus"/
    echo "=== $target for ${seconds}s"
    "$out/$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 "$corpus" 2>&1 | tail -n 12
done
