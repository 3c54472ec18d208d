#!/usr/bin/env bash
# Everything a change must pass: installs what is missing, builds the release and the
# sanitizer (ASan + UBSan) builds, runs every test in both, and clang-tidy's checks over
# the release build's sources (a finding fails the run).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh

export QT_QPA_PLATFORM=offscreen
# Qt and the font libraries keep caches for the process's life; leaks are not ours to judge there.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

for preset in default asan; do
    echo "=== $preset: build"
    scripts/build.sh "$preset"
    echo "=== $preset: tests"
    ctest --preset "$preset" -j "$(nproc)"
    if [ "$preset" = default ]; then
        echo "=== default: clang-tidy"
        scripts/tidy.sh
    fi
done
