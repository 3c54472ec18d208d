#!/usr/bin/env bash
# Runs the checks of .clang-tidy over the programs' and libraries' sources, with the
# compile commands of the default build (made first when missing).
#   scripts/tidy.sh [JOBS]
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${1:-$(nproc)}"
[ -f build/default/compile_commands.json ] || scripts/build.sh default
# Generated sources (Qt's moc, packed resources) are not ours to check.
run-clang-tidy -quiet -j "$jobs" -p build/default \
    "$PWD/(adapter|cli|common|hexview|packsetup|programmer|tavro|tools)/.*\.cpp$"
