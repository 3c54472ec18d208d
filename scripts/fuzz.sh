#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan + UBSan) and runs each for a while.
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]   (default 60, every target)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
all=(ProjectReaderFuzz RequestFormFuzz IntelHexFuzz ResourceFuzz HidReportDescriptorFuzz
     HidDevicePathFuzz EmulatorSettingsFuzz EmulatorStateFuzz TavroFramesFuzz ProfileIniFuzz
     KeilSetupFuzz UpdateVersionFuzz)
targets=("${@:-${all[@]}}")
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}"
out=build/fuzz/fuzz
artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
export ASAN_OPTIONS="detect_leaks=0"
for target in "${targets[@]}"; do
    corpus="build/fuzz/corpus/$target"
    mkdir -p "$corpus"
    # Start from real files where we have some.
    [ -d "fuzz/seeds/$target" ] && cp -n fuzz/seeds/"$target"/* "$corpus"/
    echo "=== $target for ${seconds}s"
    "$out/$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" "$corpus" 2>&1 | tail -n 12
done
