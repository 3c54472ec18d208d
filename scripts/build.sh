#!/usr/bin/env bash
# Configures and builds one preset (default: "default"), all targets or the ones named:
#   scripts/build.sh [PRESET [TARGET...]]      build/<preset>/bin holds the programs.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
shift || true
cmake --preset "$preset" >/dev/null
if [ $# -gt 0 ]; then
    cmake --build --preset "$preset" --target "$@"
else
    cmake --build --preset "$preset"
fi
